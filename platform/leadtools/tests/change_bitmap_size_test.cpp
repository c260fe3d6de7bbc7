#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "kadrix/platform/library.h"
#include "leadtools/leadtools_api.h"

namespace kadrix::platform {
namespace {

// Quadrants of distinct colours show whether a scaled picture kept its layout.
const Bgr TopLeft{0, 0, 255}, TopRight{255, 0, 0}, BottomLeft{0, 255, 0},
    BottomRight{255, 255, 255};

Bitmap quadrants(int width, int height) {
    Bitmap bitmap = Bitmap::create(width, height).value();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            bitmap.setPixel(
                x, y, bottom ? (right ? BottomRight : BottomLeft) : (right ? TopRight : TopLeft));
        }
    }
    return bitmap;
}

bool near(Bgr a, Bgr b, int tolerance) {
    return std::abs(a.blue - b.blue) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.red - b.red) <= tolerance;
}

std::vector<uint8_t> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ChangeBitmapSize : public ::testing::Test {
  protected:
    fs::path file(const std::string& name) const {
        return fs::path(dir_.path().toStdString()) / name;
    }
    // The same 400 x 300 picture in each format the capture folders hold.
    fs::path source(const std::string& format) const {
        const fs::path path = file("source." + format);
        const Bitmap picture = quadrants(400, 300);
        bool written = false;
        if (format == "bmp")
            written = bool(picture.saveBmp(path));
        if (format == "jpg")
            written = bool(JpegImage::compress(picture, 95)->save(path));
        if (format == "png")
            written = picture.toImage().save(QString::fromStdString(path.string()));
        EXPECT_TRUE(written) << path;
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(ChangeBitmapSize, WritesA24BitBmpOfTheAskedSizeKeepingTheLayout) {
    struct Case {
        int width, height;
    };
    // Thumbnail height 150 at the picture's proportion, a distorting size, enlarging, the least.
    const Case sizes[] = {{200, 150}, {150, 150}, {801, 600}, {2, 2}};
    for (const char* format : {"bmp", "jpg", "png"}) {
        const fs::path from = source(format);
        for (const Case& c : sizes) {
            SCOPED_TRACE(::testing::Message() << format << " to " << c.width << " x " << c.height);
            const fs::path to = file("scaled.bmp");
            ASSERT_EQ(LT_ChangeBitmapSize(from.c_str(), to.c_str(), c.width, c.height, 1),
                      KX_LT_OK);
            const std::vector<uint8_t> bytes = readBytes(to);
            ASSERT_GT(bytes.size(), 54u);
            EXPECT_EQ(bytes[0], 'B');
            EXPECT_EQ(bytes[28], 24);  // bits per pixel
            const Result<Bitmap> scaled = Bitmap::load(to);
            ASSERT_TRUE(scaled);
            ASSERT_EQ(scaled->width(), c.width);
            ASSERT_EQ(scaled->height(), c.height);
            const int left = c.width / 4, right = c.width * 3 / 4, top = c.height / 4,
                      bottom = c.height * 3 / 4;
            EXPECT_TRUE(near(scaled->pixel(left, top), TopLeft, 24));
            EXPECT_TRUE(near(scaled->pixel(right, top), TopRight, 24));
            EXPECT_TRUE(near(scaled->pixel(left, bottom), BottomLeft, 24));
            EXPECT_TRUE(near(scaled->pixel(right, bottom), BottomRight, 24));
        }
    }
}

TEST_F(ChangeBitmapSize, FailsWithoutTouchingTheTarget) {
    const fs::path good = source("bmp");
    const fs::path damaged = file("damaged.jpg");
    std::vector<uint8_t> half = readBytes(source("jpg"));
    half.resize(half.size() / 3);
    std::ofstream(damaged, std::ios::binary)
        .write(reinterpret_cast<const char*>(half.data()), half.size());
    const fs::path text = file("notes.bmp");
    std::ofstream(text) << "not a picture";
    const fs::path target = file("target.bmp");
    const std::string old = "old";
    std::ofstream(target) << old;

    struct Case {
        const char* what;
        const char* from;
        const char* to;
        int width, height;
        int result;
    };
    const std::string missingFolder = file("missing/target.bmp").string();
    const Case cases[] = {
        {"null source", nullptr, target.c_str(), 10, 10, KX_LT_BAD_ARGUMENT},
        {"empty target", good.c_str(), "", 10, 10, KX_LT_BAD_ARGUMENT},
        {"zero width", good.c_str(), target.c_str(), 0, 10, KX_LT_BAD_ARGUMENT},
        {"negative height", good.c_str(), target.c_str(), 10, -1, KX_LT_BAD_ARGUMENT},
        {"too large", good.c_str(), target.c_str(), 60000, 60000, KX_LT_BAD_ARGUMENT},
        {"missing source", "/no/such/picture.jpg", target.c_str(), 10, 10, KX_LT_CANNOT_READ},
        {"not a picture", text.c_str(), target.c_str(), 10, 10, KX_LT_CANNOT_READ},
        {"no target folder", good.c_str(), missingFolder.c_str(), 10, 10, KX_LT_CANNOT_WRITE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LT_ChangeBitmapSize(c.from, c.to, c.width, c.height, 1), c.result) << c.what;
        EXPECT_EQ(readBytes(target), std::vector<uint8_t>(old.begin(), old.end())) << c.what;
    }
    EXPECT_FALSE(fs::exists(file("missing")));
    // A JPEG cut short is refused, not scaled with invented rows.
    EXPECT_EQ(LT_ChangeBitmapSize(damaged.c_str(), file("partial.bmp").c_str(), 40, 30, 1), KX_LT_CANNOT_READ);
    EXPECT_FALSE(fs::exists(file("partial.bmp")));
}

TEST(LeadToolsLibrary, IsFoundByItsFileNameWithBothEntries) {
    const Result<SharedLibrary> library = SharedLibrary::load("LeadToolsAPI.dll");
    ASSERT_TRUE(library) << library.message();
    EXPECT_NE(library->entry("LT_ChangeBitmapSize"), nullptr);
    EXPECT_NE(library->entry("LT_ChangeBitmapQuality"), nullptr);
    EXPECT_EQ(library->entry("adjustQuality"), nullptr);
}

}  // namespace
}  // namespace kadrix::platform
