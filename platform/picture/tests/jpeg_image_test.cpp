#include <gtest/gtest.h>

#include <QImage>

#include "kadrix/platform/picture.h"
#include "picture_fixtures.h"

namespace kadrix::platform {
namespace {

using test::gradientBitmap;
using test::meanDifference;
using test::readBytes;
using test::TempFolder;
using test::writeBytes;

Bitmap decode(const JpegImage& jpeg) {
    const QImage image =
        QImage::fromData(jpeg.bytes().data(), static_cast<int>(jpeg.bytes().size()), "JPEG");
    return Bitmap::fromImage(image).value();
}

TEST(JpegImage, DecodesBackCloseToTheSourceAndGrowsWithQuality) {
    const Bitmap source = gradientBitmap(61, 37);
    struct Case {
        int quality;
        double maxDifference;
    };
    const Case cases[] = {{1, 40.0}, {50, 4.0}, {100, 1.5}};
    size_t previousSize = 0;
    for (const Case& c : cases) {
        const Result<JpegImage> jpeg = JpegImage::compress(source, c.quality);
        ASSERT_TRUE(jpeg) << jpeg.message();
        EXPECT_EQ(jpeg->quality(), c.quality);
        EXPECT_GT(jpeg->bytes().size(), previousSize) << c.quality;
        previousSize = jpeg->bytes().size();
        const Bitmap back = decode(*jpeg);
        ASSERT_EQ(back.width(), 61);
        ASSERT_EQ(back.height(), 37);
        EXPECT_LT(meanDifference(source, back), c.maxDifference) << c.quality;
    }
}

TEST(JpegImage, QualityOutsideTheRangeIsClamped) {
    const Bitmap source = gradientBitmap(17, 9);
    const std::vector<uint8_t> lowest = JpegImage::compress(source, 1)->bytes();
    const std::vector<uint8_t> highest = JpegImage::compress(source, 100)->bytes();
    struct Case {
        int asked, used;
    };
    for (const Case& c : {Case{0, 1}, {-40, 1}, {101, 100}, {356, 100}, {INT32_MIN, 1}}) {
        const Result<JpegImage> jpeg = JpegImage::compress(source, c.asked);
        ASSERT_TRUE(jpeg) << c.asked;
        EXPECT_EQ(jpeg->quality(), c.used);
        EXPECT_EQ(jpeg->bytes(), c.used == 1 ? lowest : highest) << c.asked;
    }
}

TEST(JpegImage, AnEmptyBitmapIsRefused) {
    const Result<JpegImage> jpeg = JpegImage::compress(Bitmap(), 75);
    EXPECT_FALSE(jpeg);
    EXPECT_FALSE(jpeg.message().empty());
}

TEST(JpegImage, SaveReplacesTheFileWhole) {
    TempFolder folder;
    const fs::path file = folder.file("picture.jpg");
    writeBytes(file, std::vector<uint8_t>(100000, 'x'));  // longer than what replaces it
    const JpegImage jpeg = JpegImage::compress(gradientBitmap(20, 10), 80).value();
    ASSERT_TRUE(jpeg.save(file));
    EXPECT_EQ(readBytes(file), jpeg.bytes());
    EXPECT_FALSE(jpeg.save(folder.file("missing/picture.jpg")));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"picture.jpg"});
}

TEST(JpegImage, ConvertsAnyPictureFileToJpeg) {
    TempFolder folder;
    const Bitmap source = gradientBitmap(33, 21);
    ASSERT_TRUE(source.saveBmp(folder.file("frame.bmp")));
    ASSERT_TRUE(source.toImage().save(QString::fromStdString(folder.file("frame.png").string())));
    for (const char* name : {"frame.bmp", "frame.png"}) {
        const fs::path target = folder.file(std::string(name) + ".jpg");
        ASSERT_TRUE(convertPictureToJpeg(folder.file(name), target, 50)) << name;
        const Result<Bitmap> back = Bitmap::load(target);
        ASSERT_TRUE(back);
        EXPECT_LT(meanDifference(source, *back), 4.0) << name;
    }
    // A picture that cannot be read leaves the old JPEG as it was.
    writeBytes(folder.file("broken.bmp"), {'B', 'M', 1, 2, 3});
    writeBytes(folder.file("kept.jpg"), {'o', 'l', 'd'});
    EXPECT_FALSE(convertPictureToJpeg(folder.file("broken.bmp"), folder.file("kept.jpg"), 50));
    EXPECT_EQ(readBytes(folder.file("kept.jpg")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace kadrix::platform
