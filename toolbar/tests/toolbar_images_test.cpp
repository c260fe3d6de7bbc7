#include "kadrix/toolbar/toolbar_images.h"

#include <gtest/gtest.h>

using kadrix::toolbar::ToolbarImages;

namespace {
QImage filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
}  // namespace

TEST(ToolbarImages, HandsOutConsecutiveIndicesForSixteenBySixteenPictures) {
    ToolbarImages images;
    EXPECT_EQ(images.addImage(filled({16, 16}, Qt::red)), 0);
    EXPECT_EQ(images.addIcon(filled({32, 32}, Qt::green)), 1);
    EXPECT_EQ(images.addImage(filled({20, 10}, Qt::blue)), 2);
    ASSERT_EQ(images.count(), 3);
    const QColor expected[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(images.picture(i).size(), QSize(16, 16));
        EXPECT_EQ(images.picture(i).pixelColor(8, 8), expected[i]);
    }
    EXPECT_TRUE(images.picture(3).isNull());
    EXPECT_TRUE(images.picture(-1).isNull());
}

TEST(ToolbarImages, IconsKeepTheirTransparency) {
    ToolbarImages images;
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixelColor(8, 8, Qt::red);
    const int index = images.addIcon(icon);
    EXPECT_EQ(images.picture(index).pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(images.picture(index).pixelColor(8, 8), QColor(Qt::red));
}

TEST(ToolbarImages, RefusesNullPicturesAndStopsWhenFull) {
    ToolbarImages images(2);
    EXPECT_EQ(images.addImage(QImage()), -1);
    EXPECT_EQ(images.addIcon(QImage()), -1);
    EXPECT_EQ(images.count(), 0);
    EXPECT_EQ(images.addImage(filled({16, 16}, Qt::red)), 0);
    EXPECT_EQ(images.addIcon(filled({16, 16}, Qt::red)), 1);
    EXPECT_TRUE(images.full());
    EXPECT_EQ(images.addImage(filled({16, 16}, Qt::red)), -1);
    EXPECT_EQ(images.count(), 2);
    // No collection hands out an index that a signed 16-bit value cannot hold.
    EXPECT_EQ(ToolbarImages(1 << 20).full(), ToolbarImages(ToolbarImages::kMaxCount).full());
    EXPECT_LE(ToolbarImages::kMaxCount - 1, 32767);
}
