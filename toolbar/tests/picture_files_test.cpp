#include "kadrix/toolbar/picture_files.h"

#include <gtest/gtest.h>

#include "picture_folder.h"

using namespace kadrix::toolbar;
using kadrix::testing::centreColour;

class PictureFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        res.writeBitmap("open.bmp", {20, 10}, Qt::red);
        res.writeBitmap("tools/save.bmp", {16, 16}, Qt::green);
        res.writeIcon("help.ico", {32, 32}, Qt::blue);
        res.writeIcon(kMissingIconName, {16, 16}, Qt::yellow);
        res.writeIcon("tools/print.ico", {16, 16}, Qt::cyan);
        res.writeText("fake.bmp", "not a picture");
        // Content decides nothing: an icon under a bitmap's name is no bitmap, and back.
        res.writeIcon("icon.bmp", {16, 16}, Qt::blue);
        res.writeBitmap("bitmap.ico", {16, 16}, Qt::red);
    }
    kadrix::testing::PictureFolder res;
};

TEST_F(PictureFiles, BitmapsAreReadAtTheAskedSize) {
    struct Case {
        const char* name;
        const char* folder;
        short width, height;
        QSize size;  // empty: null
        QColor colour;
    };
    const Case cases[] = {
        {"open.bmp", "", 16, 16, {16, 16}, Qt::red},
        {"open.bmp", "", 0, 0, {20, 10}, Qt::red},
        {"open.bmp", "", 0, 16, {20, 16}, Qt::red},
        {"save.bmp", "tools", 24, 24, {24, 24}, Qt::green},
        {"save.bmp", "", 16, 16, {}, {}},
        {"missing.bmp", "", 16, 16, {}, {}},
        {"fake.bmp", "", 16, 16, {}, {}},
        {"icon.bmp", "", 16, 16, {}, {}},
        {"open.bmp", "", -1, 16, {}, {}},
        {nullptr, "", 16, 16, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name ? c.name : "(null)") + " in '" + c.folder + "'");
        const QImage image = loadBitmap(res.path(), c.name, c.width, c.height, c.folder);
        if (c.size.isEmpty()) {
            EXPECT_TRUE(image.isNull());
            continue;
        }
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(centreColour(image), c.colour);
    }
}

TEST_F(PictureFiles, IconsFallBackToTheQuestionMarkOfTheirFolder) {
    struct Case {
        const char* name;
        const char* folder;
        QColor colour;  // invalid: null
    };
    const Case cases[] = {
        {"help.ico", "", Qt::blue},
        {"print.ico", "tools", Qt::cyan},
        {"missing.ico", "", Qt::yellow},
        // The fallback is looked for in the same folder only.
        {"missing.ico", "tools", {}},
        // A file that exists but is no icon does not fall back.
        {"bitmap.ico", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in '" + c.folder + "'");
        const QImage icon = loadIcon(res.path(), c.name, 16, 16, c.folder);
        if (!c.colour.isValid()) {
            EXPECT_TRUE(icon.isNull());
            continue;
        }
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.size(), QSize(16, 16));
        EXPECT_EQ(centreColour(icon), c.colour);
    }
}

TEST_F(PictureFiles, AnOverlongPathIsRefusedWithoutFallingBack) {
    const std::string longName = std::string(300, 'x') + ".ico";
    const std::string longFolder(300, 'f');
    EXPECT_TRUE(loadIcon(res.path(), longName.c_str(), 16, 16, "").isNull());
    EXPECT_TRUE(loadIcon(res.path(), "help.ico", 16, 16, longFolder.c_str()).isNull());
    EXPECT_TRUE(
        loadBitmap(res.path(), (std::string(300, 'x') + ".bmp").c_str(), 16, 16, "").isNull());
}

TEST(BestIconPicture, PrefersTheExactSizeThenTheSmallestLargerThenTheLargest) {
    struct Case {
        std::vector<QSize> sizes;
        QSize wanted;
        int expected;
    };
    const Case cases[] = {
        {{{32, 32}, {16, 16}, {48, 48}}, {16, 16}, 1},
        {{{16, 16}, {16, 16}}, {16, 16}, 0},
        {{{64, 64}, {32, 32}, {48, 48}}, {16, 16}, 1},
        {{{8, 8}, {12, 12}}, {16, 16}, 1},
        {{{32, 32}, {16, 16}}, {0, 0}, 0},
        {{{32, 16}, {16, 16}}, {0, 16}, 0},
        {{}, {16, 16}, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(bestIconPicture(c.sizes, c.wanted), c.expected);
}
