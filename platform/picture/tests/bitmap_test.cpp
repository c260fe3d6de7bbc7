#include <gtest/gtest.h>

#include <QImage>

#include "kadrix/platform/picture.h"
#include "picture_fixtures.h"

namespace kadrix::platform {
namespace {

using test::patternBitmap;
using test::patternColour;
using test::readBytes;
using test::TempFolder;
using test::writeBytes;

uint32_t read32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void expectPattern(const Bitmap& bitmap, int width, int height) {
    ASSERT_EQ(bitmap.width(), width);
    ASSERT_EQ(bitmap.height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            EXPECT_EQ(bitmap.pixel(x, y), patternColour(x, y)) << x << "," << y;
        }
    }
}

TEST(Bitmap, CreateChecksSizesAndPadsRowsToFourBytes) {
    struct Case {
        int width, height;
        bool ok;
        size_t stride;
    };
    const Case cases[] = {
        {1, 1, true, 4},
        {2, 1, true, 8},
        {3, 2, true, 12},
        {4, 1, true, 12},
        {5, 3, true, 16},
        {0, 1, false, 0},
        {1, 0, false, 0},
        {-3, 4, false, 0},
        {Bitmap::MaxSide + 1, 1, false, 0},
        {Bitmap::MaxSide, Bitmap::MaxSide, false, 0},
    };
    for (const Case& c : cases) {
        const Result<Bitmap> made = Bitmap::create(c.width, c.height);
        ASSERT_EQ(made.ok(), c.ok) << c.width << " x " << c.height;
        if (!c.ok) {
            EXPECT_FALSE(made.message().empty());
            continue;
        }
        EXPECT_EQ(made->stride(), c.stride);
        EXPECT_EQ(made->pixel(c.width - 1, c.height - 1), Bgr{});
    }
}

TEST(Bitmap, SavesA24BitBottomUpBmpWithPaddedRows) {
    TempFolder folder;
    const fs::path file = folder.file("golden.bmp");
    ASSERT_TRUE(patternBitmap(3, 2).saveBmp(file));
    const std::vector<uint8_t> b = readBytes(file);
    ASSERT_EQ(b.size(), 54u + 2 * 12);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(read32(b, 2), 78u);
    EXPECT_EQ(read32(b, 10), 54u);
    EXPECT_EQ(read32(b, 14), 40u);
    EXPECT_EQ(read32(b, 18), 3u);
    EXPECT_EQ(read32(b, 22), 2u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 24);
    EXPECT_EQ(read32(b, 30), 0u);
    EXPECT_EQ(read32(b, 34), 24u);
    // Bottom row (y = 1) first, then three zero bytes of padding.
    const std::vector<uint8_t> rows(b.begin() + 54, b.end());
    const std::vector<uint8_t> golden = {
        10, 80, 195, 50, 80, 178, 90, 80, 161, 0, 0, 0,  //
        10, 20, 200, 50, 20, 183, 90, 20, 166, 0, 0, 0,
    };
    EXPECT_EQ(rows, golden);
}

TEST(Bitmap, BmpRoundTripKeepsEveryPixelAtOddWidths) {
    TempFolder folder;
    for (const auto& [width, height] : {std::pair{1, 1}, {3, 2}, {5, 4}, {7, 3}, {4, 2}}) {
        const fs::path file = folder.file("round.bmp");
        ASSERT_TRUE(patternBitmap(width, height).saveBmp(file));
        const Result<Bitmap> loaded = Bitmap::load(file);
        ASSERT_TRUE(loaded) << loaded.message();
        expectPattern(*loaded, width, height);
    }
}

// BMP files as other writers make them: palettes, 32-bit pixels, top-down rows.
struct BmpLayout {
    int bits;
    bool topDown;
};

std::vector<uint8_t> handMadeBmp(const BmpLayout& layout, int width, int height) {
    // Palette pictures index a palette holding the pattern's colours, one entry per pixel.
    const int colours = layout.bits <= 8 ? 1 << layout.bits : 0;
    const size_t stride = ((static_cast<size_t>(width) * layout.bits + 31) / 32) * 4;
    const size_t offset = 54 + 4 * static_cast<size_t>(colours);
    std::vector<uint8_t> b(offset + stride * height, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, static_cast<uint32_t>(offset));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(layout.topDown ? -height : height));
    b[26] = 1;
    b[28] = static_cast<uint8_t>(layout.bits);
    put32(46, static_cast<uint32_t>(colours));
    for (int y = 0; y < height; ++y) {
        const int fileRow = layout.topDown ? y : height - 1 - y;
        uint8_t* row = b.data() + offset + fileRow * stride;
        for (int x = 0; x < width; ++x) {
            const Bgr c = patternColour(x, y);
            if (colours == 0) {
                const size_t bytes = static_cast<size_t>(layout.bits) / 8;
                row[x * bytes] = c.blue;
                row[x * bytes + 1] = c.green;
                row[x * bytes + 2] = c.red;
                continue;
            }
            const int index = (y * width + x) % colours;
            uint8_t* entry = b.data() + 54 + 4 * index;
            entry[0] = c.blue;
            entry[1] = c.green;
            entry[2] = c.red;
            const int bit = x * layout.bits;
            row[bit / 8] |= static_cast<uint8_t>(index << (8 - layout.bits - bit % 8));
        }
    }
    return b;
}

TEST(Bitmap, LoadsBmpFilesOfEveryDepth) {
    TempFolder folder;
    // A 1-bit palette has two entries, so that picture holds just two pixels.
    struct Case {
        BmpLayout layout;
        int width, height;
    };
    const Case cases[] = {
        {{1, false}, 2, 1}, {{4, false}, 5, 3},  {{8, false}, 7, 3},
        {{24, true}, 5, 3}, {{32, false}, 3, 2}, {{8, true}, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.layout.bits << "-bit, top-down " << c.layout.topDown);
        const fs::path file = folder.file("depth.bmp");
        writeBytes(file, handMadeBmp(c.layout, c.width, c.height));
        const Result<Bitmap> loaded = Bitmap::load(file);
        ASSERT_TRUE(loaded) << loaded.message();
        expectPattern(*loaded, c.width, c.height);
    }
}

TEST(Bitmap, LoadsLosslessFormatsByContentWhateverTheName) {
    TempFolder folder;
    const QImage source = patternBitmap(5, 3).toImage();
    for (const char* format : {"PNG", "TIFF", "BMP"}) {
        SCOPED_TRACE(format);
        const fs::path file = folder.file("misnamed.jpg");
        ASSERT_TRUE(source.save(QString::fromStdString(file.string()), format));
        const Result<Bitmap> loaded = Bitmap::load(file);
        ASSERT_TRUE(loaded) << loaded.message();
        expectPattern(*loaded, 5, 3);
    }
}

TEST(Bitmap, ImageConversionKeepsColoursAndDropsAlpha) {
    QImage argb(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const Bgr c = patternColour(x, y);
            argb.setPixel(x, y, qRgba(c.red, c.green, c.blue, 40 * x));
        }
    }
    const Result<Bitmap> bitmap = Bitmap::fromImage(argb);
    ASSERT_TRUE(bitmap);
    expectPattern(*bitmap, 3, 2);
    const QImage back = bitmap->toImage();
    EXPECT_EQ(back.pixel(2, 1),
              qRgb(patternColour(2, 1).red, patternColour(2, 1).green, patternColour(2, 1).blue));
    EXPECT_FALSE(Bitmap::fromImage(QImage()));
}

TEST(Bitmap, DamagedOrMissingFilesFailWithAReason) {
    TempFolder folder;
    std::vector<uint8_t> good = patternBitmap(7, 5).bmpBytes();
    std::vector<uint8_t> huge = good;
    huge[18] = huge[19] = huge[22] = huge[23] = 0xFF;  // 65535 x 65535 on 140 bytes
    const std::vector<uint8_t> jpeg =
        JpegImage::compress(test::gradientBitmap(64, 64), 90)->bytes();
    std::vector<uint8_t> badDepth = good;
    badDepth[28] = 7;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"text", {'h', 'e', 'l', 'l', 'o', '\n'}},
        {"header cut", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
        {"pixels cut", std::vector<uint8_t>(good.begin(), good.begin() + 54 + 30)},
        {"huge", huge},
        {"bad depth", badDepth},
        {"jpeg cut in half", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
        {"jpeg start only", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'}},
    };
    for (const Case& c : cases) {
        const fs::path file = folder.file(std::string(c.name) + ".bmp");
        writeBytes(file, c.bytes);
        const Result<Bitmap> loaded = Bitmap::load(file);
        EXPECT_FALSE(loaded) << c.name;
        EXPECT_FALSE(loaded.message().empty()) << c.name;
    }
    EXPECT_FALSE(Bitmap::load(folder.file("missing.bmp")));
    EXPECT_FALSE(Bitmap::load(folder.path()));
}

TEST(Bitmap, SaveReplacesWholeOrLeavesNothing) {
    TempFolder folder;
    const fs::path file = folder.file("target.bmp");
    writeBytes(file, {'o', 'l', 'd'});
    ASSERT_TRUE(patternBitmap(3, 3).saveBmp(file));
    expectPattern(*Bitmap::load(file), 3, 3);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"target.bmp"});

    EXPECT_FALSE(patternBitmap(3, 3).saveBmp(folder.file("no-such-folder/target.bmp")));
    EXPECT_FALSE(patternBitmap(3, 3).saveBmp(folder.path()));  // a folder stays a folder
    EXPECT_FALSE(Bitmap().saveBmp(folder.file("empty.bmp")));
    EXPECT_TRUE(fs::is_directory(folder.path()));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"target.bmp"});
}

}  // namespace
}  // namespace kadrix::platform
