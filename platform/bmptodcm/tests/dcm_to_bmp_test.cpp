#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

#include <QTemporaryDir>

#include "bmptodcm/dcm_to_bmp.h"
#include "dicom_fixtures.h"
#include "kadrix/platform/library.h"
#include "kadrix/platform/picture.h"

namespace kadrix::bmptodcm {
namespace {

using platform::Bgr;
using platform::Bitmap;
using test::DicomPicture;
using test::Encoding;
namespace fs = std::filesystem;

std::vector<int32_t> ramp(int count, int first, int step) {
    std::vector<int32_t> out(count);
    for (int i = 0; i < count; ++i) out[i] = first + i * step;
    return out;
}

DicomPicture monochrome(int bits, std::vector<int32_t> samples, bool isSigned = false) {
    DicomPicture p;
    p.width = 5;
    p.height = 3;
    p.bitsAllocated = bits > 8 ? 16 : 8;
    p.bitsStored = bits;
    p.isSigned = isSigned;
    p.samples = std::move(samples);
    return p;
}

// The grey value of each pixel in raster order; BMP pixels of a monochrome picture are grey.
std::vector<int> greys(const Bitmap& bitmap) {
    std::vector<int> out;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            const Bgr p = bitmap.pixel(x, y);
            EXPECT_TRUE(p.red == p.green && p.green == p.blue);
            out.push_back(p.red);
        }
    }
    return out;
}

class DcmToBmpTest : public ::testing::Test {
  protected:
    fs::path file(const std::string& name) const {
        return fs::path(dir_.path().toStdString()) / name;
    }
    Bitmap convert(const DicomPicture& picture, Encoding encoding = Encoding::Uncompressed) {
        const fs::path dicom = file("picture.dcm"), bmp = file("picture.bmp");
        std::string error;
        EXPECT_TRUE(test::writeDicom(dicom, picture, encoding, &error)) << error;
        EXPECT_EQ(DcmToBmp(dicom.c_str(), bmp.c_str()), 1);
        const platform::Result<Bitmap> bitmap = Bitmap::load(bmp);
        EXPECT_TRUE(bitmap) << bitmap.message();
        return bitmap ? *bitmap : Bitmap();
    }
    QTemporaryDir dir_;
};

TEST_F(DcmToBmpTest, MonochromeUsesTheFileWindowElseMinimumToMaximum) {
    struct Case {
        const char* what;
        DicomPicture picture;
        std::vector<int> expected;  // -1: any value between its neighbours
    };
    auto windowed = [](DicomPicture p, double centre, double width) {
        p.window = {centre, width};
        return p;
    };
    auto inverted = [](DicomPicture p) {
        p.photometric = "MONOCHROME1";
        return p;
    };
    const Case cases[] = {
        {"8-bit, no window",
         monochrome(8, ramp(15, 10, 10)),
         {0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 255}},
        {"8-bit MONOCHROME1 is inverted",
         inverted(monochrome(8, ramp(15, 10, 10))),
         {255, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0}},
        {"12-bit, no window",
         monochrome(12, ramp(15, 100, 250)),
         {0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 255}},
        // Centre 1000, width 500: 750 and below black, 1250 and above white.
        {"16-bit with window",
         windowed(monochrome(16, ramp(15, 0, 300)), 1000, 500),
         {0, 0, 0, 77, 230, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}},
        {"16-bit signed with window",
         windowed(monochrome(16, ramp(15, -1400, 200), true), 0, 400),
         {0, 0, 0, 0, 0, 0, 0, 128, 255, 255, 255, 255, 255, 255, 255}},
        {"16-bit signed, no window",
         monochrome(16, ramp(15, -1400, 200), true),
         {0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bitmap bitmap = convert(c.picture);
        ASSERT_EQ(bitmap.width(), 5);
        ASSERT_EQ(bitmap.height(), 3);
        const std::vector<int> got = greys(bitmap);
        for (size_t i = 0; i < got.size(); ++i) {
            if (c.expected[i] >= 0) {
                EXPECT_NEAR(got[i], c.expected[i], 2) << "pixel " << i;
            } else {
                const bool rising = c.expected.front() < c.expected.back();
                EXPECT_TRUE(rising ? got[i] > got[i - 1] : got[i] < got[i - 1]) << "pixel " << i;
            }
        }
    }
}

TEST_F(DcmToBmpTest, AWindowOfNoWidthFallsBackToMinimumToMaximum) {
    DicomPicture p = monochrome(16, ramp(15, 0, 300));
    p.window = {1000, 0};
    const std::vector<int> got = greys(convert(p));
    EXPECT_EQ(got.front(), 0);
    EXPECT_EQ(got.back(), 255);
}

TEST_F(DcmToBmpTest, CompressedFilesGiveWhatTheUncompressedOnesGive) {
    DicomPicture windowed16 = monochrome(16, ramp(15, 0, 300));
    windowed16.window = {2000, 3000};
    const DicomPicture plain8 = monochrome(8, ramp(15, 10, 10));
    struct Case {
        const char* what;
        DicomPicture picture;
        Encoding encoding;
    };
    const Case cases[] = {
        {"JPEG lossless, 16-bit", windowed16, Encoding::JpegLossless},
        {"JPEG lossless, 8-bit", plain8, Encoding::JpegLossless},
        {"RLE, 8-bit", plain8, Encoding::Rle},
        {"RLE, 16-bit", windowed16, Encoding::Rle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<int> expected = greys(convert(c.picture));
        EXPECT_EQ(greys(convert(c.picture, c.encoding)), expected);
    }
}

// Each of the 3 x 2 colours fills a block x block square, so that lossy coding with chroma
// subsampling still has flat areas to keep.
DicomPicture colour(const std::string& photometric, int planar, const std::vector<Bgr>& pixels,
                    auto&& toSamples, int block = 1) {
    DicomPicture p;
    p.photometric = photometric;
    p.width = 3 * block;
    p.height = 2 * block;
    p.planar = planar;
    std::vector<std::array<int, 3>> triples;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            triples.push_back(toSamples(pixels[(y / block) * 3 + x / block]));
        }
    }
    for (int plane = 0; plane < 3; ++plane) {
        for (size_t i = 0; i < triples.size(); ++i) {
            if (planar == 1) {
                p.samples.push_back(triples[i][plane]);
            } else if (plane == 0) {
                p.samples.insert(p.samples.end(), triples[i].begin(), triples[i].end());
            }
        }
    }
    return p;
}

std::array<int, 3> rgb(Bgr c) {
    return {c.red, c.green, c.blue};
}
std::array<int, 3> ybrFull(Bgr c) {
    const double y = 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
    return {static_cast<int>(std::lround(y)),
            static_cast<int>(std::lround(std::clamp(128 + (c.blue - y) / 1.772, 0.0, 255.0))),
            static_cast<int>(std::lround(std::clamp(128 + (c.red - y) / 1.402, 0.0, 255.0)))};
}

TEST_F(DcmToBmpTest, ColourPicturesKeepTheirColours) {
    const std::vector<Bgr> pixels = {{0, 0, 250},  {0, 250, 0},     {250, 0, 0},
                                     {30, 60, 90}, {128, 128, 128}, {200, 220, 240}};
    struct Case {
        const char* what;
        DicomPicture picture;
        Encoding encoding;
        int tolerance;
        int block = 1;
    };
    const Case cases[] = {
        {"RGB interleaved", colour("RGB", 0, pixels, rgb), Encoding::Uncompressed, 0},
        {"RGB by plane", colour("RGB", 1, pixels, rgb), Encoding::Uncompressed, 0},
        {"YBR_FULL", colour("YBR_FULL", 0, pixels, ybrFull), Encoding::Uncompressed, 3},
        {"RGB, JPEG lossless", colour("RGB", 0, pixels, rgb), Encoding::JpegLossless, 0},
        {"RGB, JPEG baseline", colour("RGB", 0, pixels, rgb, 16), Encoding::JpegBaseline, 8, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bitmap bitmap = convert(c.picture, c.encoding);
        ASSERT_EQ(bitmap.width(), 3 * c.block);
        ASSERT_EQ(bitmap.height(), 2 * c.block);
        for (int i = 0; i < 6; ++i) {
            const int centre = c.block / 2;
            const Bgr got = bitmap.pixel(i % 3 * c.block + centre, i / 3 * c.block + centre);
            const Bgr want = pixels[i];
            EXPECT_NEAR(got.red, want.red, c.tolerance) << "pixel " << i;
            EXPECT_NEAR(got.green, want.green, c.tolerance) << "pixel " << i;
            EXPECT_NEAR(got.blue, want.blue, c.tolerance) << "pixel " << i;
        }
    }
}

TEST_F(DcmToBmpTest, TakesTheFirstFrame) {
    DicomPicture p = monochrome(8, ramp(15, 10, 10));
    p.frames = 2;
    const std::vector<int32_t> second(15, 200);
    p.samples.insert(p.samples.end(), second.begin(), second.end());
    const std::vector<int> got = greys(convert(p));
    EXPECT_EQ(got.front(), 0);
    EXPECT_EQ(got.back(), 255);
}

std::vector<char> readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(DcmToBmpTest, AnythingUnreadableFailsAndLeavesNoTarget) {
    const fs::path text = file("notes.dcm"), empty = file("empty.dcm"), bare = file("bare.dcm"),
                   cut = file("cut.dcm");
    std::ofstream(text) << "this is not a DICOM file\n";
    std::ofstream{empty};
    ASSERT_TRUE(test::writeDicomWithoutPicture(bare));
    DicomPicture big = monochrome(16, ramp(15, 0, 300));
    big.width = big.height = 64;
    big.samples = ramp(64 * 64, 0, 1);
    ASSERT_TRUE(test::writeDicom(cut, big, Encoding::Uncompressed));
    std::vector<char> bytes = readBytes(cut);
    bytes.resize(bytes.size() - 4000);
    std::ofstream(cut, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
    const fs::path good = file("good.dcm");
    ASSERT_TRUE(test::writeDicom(good, monochrome(8, ramp(15, 10, 10)), Encoding::Uncompressed));

    const std::string target = file("out.bmp").string();
    const std::string noFolder = file("missing/out.bmp").string();
    struct Case {
        const char* what;
        const char* dicom;
        const char* bitmap;
    };
    const Case cases[] = {
        {"text", text.c_str(), target.c_str()},
        {"empty", empty.c_str(), target.c_str()},
        {"no picture", bare.c_str(), target.c_str()},
        {"pixel data cut short", cut.c_str(), target.c_str()},
        {"missing", "/no/such/file.dcm", target.c_str()},
        {"null source", nullptr, target.c_str()},
        {"null target", good.c_str(), nullptr},
        {"empty target", good.c_str(), ""},
        {"no target folder", good.c_str(), noFolder.c_str()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DcmToBmp(c.dicom, c.bitmap), 0) << c.what;
        EXPECT_FALSE(fs::exists(target)) << c.what;
    }
    EXPECT_FALSE(fs::exists(file("missing")));

    // An existing target is kept as it was.
    std::ofstream(target) << "old";
    EXPECT_EQ(DcmToBmp(text.c_str(), target.c_str()), 0);
    EXPECT_EQ(readBytes(target), (std::vector<char>{'o', 'l', 'd'}));
}

TEST(BmpToDcmLibrary, LoadsUnloadsAndLoadsAgainByItsFileName) {
    for (int round = 0; round < 2; ++round) {
        auto library = platform::SharedLibrary::load("BmpToDcm.dll");
        ASSERT_TRUE(library) << library.message();
        EXPECT_NE(library->entry("DcmToBmp"), nullptr);
        EXPECT_EQ(library->entry("renderFirstFrame"), nullptr);
    }
}

}  // namespace
}  // namespace kadrix::bmptodcm
