// CKadrix as a host sees it: the shared library, its one collection, the resource folder from
// KADRIX_RES_PATH. The collection lives as long as the process, so each test uses names of its
// own and makes sure some picture holds index 0 where that matters.
#include "kadrix/toolbar/kadrix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "picture_folder.h"

using kadrix::testing::centreColour;
using kadrix::toolbar::ToolbarImages;

namespace {

int getImage(std::string name) {
    return CKadrix::GetImage(name.data());
}

}  // namespace

class Kadrix : public ::testing::Test {
  protected:
    void SetUp() override { setenv("KADRIX_RES_PATH", res.path().c_str(), 1); }
    void loadAFirstPicture() {
        res.writeBitmap("first.bmp", {16, 16}, Qt::black);
        ASSERT_GE(getImage("first.bmp"), 0);
    }
    void TearDown() override { unsetenv("KADRIX_RES_PATH"); }
    kadrix::testing::PictureFolder res;
};

TEST_F(Kadrix, ANameIsReadOnceAndKeepsItsIndex) {
    res.writeBitmap("open.bmp", {16, 16}, Qt::red);
    const int index = getImage("open.bmp");
    ASSERT_GE(index, 0);
    EXPECT_EQ(CKadrix::FindImage("open.bmp"), index);
    // Once loaded the file is no longer needed: the second call does not read it.
    res.remove("open.bmp");
    EXPECT_EQ(getImage("open.bmp"), index);
    EXPECT_EQ(centreColour(CKadrix::GetGlobalImages()->picture(index)), QColor(Qt::red));
}

TEST_F(Kadrix, UnsupportedNamesAreNotRead) {
    // Valid pictures under these names: the name alone decides.
    res.writeBitmap("open.BMP", {16, 16}, Qt::red);
    res.writeBitmap("open", {16, 16}, Qt::red);
    const int before = CKadrix::GetGlobalImages()->count();
    EXPECT_EQ(getImage("open.BMP"), -1);
    EXPECT_EQ(getImage("open"), -1);
    EXPECT_EQ(CKadrix::GetImage(nullptr), -1);
    EXPECT_EQ(CKadrix::GetGlobalImages()->count(), before);
}

TEST_F(Kadrix, AMissingIconShowsTheQuestionMark) {
    loadAFirstPicture();
    res.writeIcon("问号.ico", {32, 32}, Qt::yellow);
    const int index = getImage("help.ico");
    ASSERT_GT(index, 0);
    EXPECT_EQ(CKadrix::FindImage("help.ico"), index);
    const QImage picture = CKadrix::GetGlobalImages()->picture(index);
    EXPECT_EQ(picture.size(), QSize(16, 16));
    EXPECT_EQ(centreColour(picture), QColor(Qt::yellow));

    const QImage icon = CKadrix::GetIcon("other.ico", 32, 32, "");
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(centreColour(icon), QColor(Qt::yellow));
}

TEST_F(Kadrix, AFailedLoadIsToldFromIndexZeroAndRetried) {
    loadAFirstPicture();
    EXPECT_EQ(getImage("late.bmp"), 0);
    EXPECT_EQ(getImage("late.ico"), 0) << "no icon and no question mark";
    EXPECT_EQ(CKadrix::FindImage("late.bmp"), -1);
    EXPECT_EQ(CKadrix::FindImage("late.ico"), -1);

    res.writeBitmap("late.bmp", {16, 16}, Qt::green);
    const int index = getImage("late.bmp");
    EXPECT_GT(index, 0);
    EXPECT_EQ(CKadrix::FindImage("late.bmp"), index);
}

TEST_F(Kadrix, AnOverlongPathFailsCleanly) {
    const std::string longName = std::string(300, 'x') + ".bmp";
    const int before = CKadrix::GetGlobalImages()->count();
    EXPECT_TRUE(CKadrix::GetBitMap(longName.c_str(), 16, 16, "").isNull());
    EXPECT_TRUE(CKadrix::GetIcon("a.ico", 16, 16, std::string(300, 'f').c_str()).isNull());
    EXPECT_EQ(getImage(longName), 0);
    EXPECT_EQ(CKadrix::FindImage(longName.c_str()), -1);
    EXPECT_EQ(CKadrix::GetGlobalImages()->count(), before);
}

TEST_F(Kadrix, BitmapsComeFromSubFoldersAtTheAskedSize) {
    res.writeBitmap("tools/cut.bmp", {20, 20}, Qt::blue);
    const QImage bitmap = CKadrix::GetBitMap("cut.bmp", 24, 12, "tools");
    EXPECT_EQ(bitmap.size(), QSize(24, 12));
    EXPECT_EQ(centreColour(bitmap), QColor(Qt::blue));
    EXPECT_TRUE(CKadrix::GetBitMap("cut.bmp", 16, 16, "").isNull());
}

TEST_F(Kadrix, TheCollectionIsOneObjectThatOnlyGrows) {
    ToolbarImages* images = CKadrix::GetGlobalImages();
    ASSERT_NE(images, nullptr);
    const int before = images->count();
    res.writeBitmap("grow1.bmp", {16, 16}, Qt::red);
    res.writeIcon("grow2.ico", {16, 16}, Qt::blue);
    EXPECT_EQ(getImage("grow1.bmp"), before);
    EXPECT_EQ(getImage("grow2.ico"), before + 1);
    EXPECT_EQ(CKadrix::GetGlobalImages(), images);
    EXPECT_EQ(images->count(), before + 2);
}

TEST(KadrixObject, IsAnEmptyValueWithAVirtualDestructor) {
    static_assert(std::has_virtual_destructor_v<CKadrix>);
    CKadrix a;
    CKadrix b(a);
    b = a;
    CKadrix* heap = new CKadrix(b);
    delete heap;
}
