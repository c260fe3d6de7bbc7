// Decoding real JPEG files through the "ijl15.dll" beside the test program.
#include "kadrix/camera/jpeg_manager.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image_fixtures.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

using test::crlf;
using test::LogTail;
using test::Sampling;
using test::Ycc;

constexpr Ycc kLeft{50, 100, 150};
constexpr Ycc kRight{200, 60, 180};

// Two flat 16 x 16 blocks side by side (more columns repeat the right one): flat blocks at
// quality 100 decode to exactly their values, so the averages are known in advance.
std::vector<unsigned char> twoBlocks(Sampling sampling, int width = 32) {
    return test::jpegFromYcc(width, 16, sampling, 100,
                             [](int x, int) { return x < 16 ? kLeft : kRight; });
}

ERROR_T codeOf(auto&& call) {
    try {
        call();
    } catch (CException* e) {
        const ERROR_T code = e->GetErrorCode();
        delete e;
        return code;
    }
    return ERR_NONE;
}

class JpegDecodeTest : public ::testing::Test {
  protected:
    void SetUp() override { shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str()); }  // codecs beside the program

    ERROR_T decode(CJpegManager& manager, const std::string& name) {
        manager.Initialize();
        std::string path = std::filesystem::absolute(name).string();
        manager.SetFullPath(path.data());
        return manager.Decode();
    }
};

TEST_F(JpegDecodeTest, SamplingsDecodeToTheirGoldenAverages) {
    struct Case {
        Sampling sampling;
        const char* name;
        int channels;
        int subsampling;
        int colour;
        bool grey;
    };
    const Case cases[] = {
        {Sampling::S422, "s422.jpg", 3, 1, 3, false},
        {Sampling::S420, "s420.jpg", 3, 2, 3, false},
        {Sampling::S444, "s444.jpg", 3, 0, 3, false},
        {Sampling::Grey, "grey.jpg", 1, 0, 4, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(c.name, twoBlocks(c.sampling));
        CJpegManager manager;
        LogTail log;
        ASSERT_EQ(decode(manager, c.name), ERR_NONE);
        EXPECT_EQ(manager.GetWidth(), 32);
        EXPECT_EQ(manager.GetHeight(), 16);
        const std::string trace = log.next();
        const std::string line = std::to_string(32 * c.channels);
        EXPECT_NE(
            trace.find(crlf("[VALU] _nWidth    - 32\n[VALU] _nHeight   - 16\n"
                            "[VALU] _nChannels - " +
                            std::to_string(c.channels) + "\n[VALU] dib_line_width - " + line +
                            "\n[VALU] dib_pad_bytes  - 0\n" + "[VALU] jcprops.JPGSubsampling - " +
                            std::to_string(c.subsampling) + "\n[VALU] jcprops.JPGColor - " +
                            std::to_string(c.colour) +
                            "\n[FUNC] _ijlRead - 0\n[FUNC] CJpegManager::Decode - 0\n")),
            std::string::npos)
            << trace;

        struct Expect {
            tagRECTANGLE rect;
            double y, cb, cr;  // means over the rectangle, chroma still offset by 128
        };
        const double cbMean = c.grey ? 128 : (kLeft.cb + kRight.cb) / 2.0;
        const double crMean = c.grey ? 128 : (kLeft.cr + kRight.cr) / 2.0;
        const Expect expects[] = {
            {{0, 0, 32, 16}, 125, cbMean, crMean},
            {{0, 0, 16, 16}, 50, c.grey ? 128.0 : 100, c.grey ? 128.0 : 150},
            {{16, 4, 16, 8}, 200, c.grey ? 128.0 : 60, c.grey ? 128.0 : 180},
            {{14, 0, 4, 1}, 125, cbMean, crMean},
        };
        for (const Expect& e : expects) {
            tagYUV_FLOAT_T yuv{};
            tagCHANNEL_AVERAGE_FLOAT_T pair{};
            manager.GetYUVAverage(e.rect, &yuv);
            manager.GetEachChannelYAverage(e.rect, &pair);
            EXPECT_DOUBLE_EQ(yuv.Y, e.y) << e.rect.nLeft;
            EXPECT_DOUBLE_EQ(yuv.U, e.cb - 128) << e.rect.nLeft;
            EXPECT_DOUBLE_EQ(yuv.V, e.cr - 128) << e.rect.nLeft;
            EXPECT_DOUBLE_EQ(pair.Y0, e.y) << e.rect.nLeft;
            EXPECT_DOUBLE_EQ(pair.Y1, e.y) << e.rect.nLeft;
        }
        EXPECT_EQ(manager.GetY(0, 0), 50u);
        EXPECT_EQ(manager.GetY(31, 15), 200u);
        manager.Terminate();
    }
}

TEST_F(JpegDecodeTest, OddWidthsKeepRowsOfWidthTimesTwoBytes) {
    test::writeFile("odd.jpg", twoBlocks(Sampling::S422, 33));
    CJpegManager manager;
    ASSERT_EQ(decode(manager, "odd.jpg"), ERR_NONE);
    EXPECT_EQ(manager.GetWidth(), 33);
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(manager.GetY(0, y), 50u) << y;
        EXPECT_EQ(manager.GetY(32, y), 200u) << y;
    }
    // The odd last column is counted in N but not summed.
    tagYUV_FLOAT_T yuv{};
    manager.GetYUVAverage({0, 0, 33, 16}, &yuv);
    EXPECT_DOUBLE_EQ(yuv.Y, (16 * 50.0 + 16 * 200.0) / 33.0);
}

TEST_F(JpegDecodeTest, RgbStoredFilesAreConvertedToYCbCr) {
    test::writeFile("rgb.jpg", test::rgbStoredJpeg(16, 16, 200, 100, 50));
    CJpegManager manager;
    LogTail log;
    ASSERT_EQ(decode(manager, "rgb.jpg"), ERR_NONE);
    EXPECT_NE(log.next().find("[VALU] jcprops.JPGColor - 1\r\n"), std::string::npos);
    tagYUV_FLOAT_T yuv{};
    manager.GetYUVAverage({0, 0, 16, 16}, &yuv);
    EXPECT_NEAR(yuv.Y, 124.2, 1.0);   // 0.299 R + 0.587 G + 0.114 B
    EXPECT_NEAR(yuv.U, -41.87, 1.0);  // -0.1687 R - 0.3313 G + 0.5 B
    EXPECT_NEAR(yuv.V, 54.07, 1.0);   // 0.5 R - 0.4187 G - 0.0813 B
}

TEST_F(JpegDecodeTest, FilesTheCodecCannotReadFail) {
    // Busy content, so the entropy-coded data is most of the file and the cut falls in it.
    const std::vector<unsigned char> good =
        test::jpegFromYcc(128, 128, Sampling::S422, 90, [](int x, int y) {
            const auto v = static_cast<unsigned char>((x * 37 + y * 91 + x * y) & 0xFF);
            return Ycc{v, static_cast<unsigned char>(255 - v),
                       static_cast<unsigned char>(v ^ 0x5A)};
        });
    test::writeFile("truncated.jpg",
                    std::vector<unsigned char>(good.begin(), good.begin() + good.size() * 3 / 4));
    test::writeFile("garbage.jpg", std::string("not a picture at all"));
    test::writeFile("cmyk.jpg", test::cmykJpeg(16, 16));
    struct Case {
        const char* name;
        bool headerReads;
    };
    const Case cases[] = {
        {"truncated.jpg", true}, {"cmyk.jpg", true}, {"garbage.jpg", false}, {"absent.jpg", false}};
    for (const Case& c : cases) {
        CJpegManager manager;
        LogTail log;
        EXPECT_EQ(decode(manager, c.name), ERR_FAILED) << c.name;
        const std::string trace = log.next();
        EXPECT_NE(trace.find("[ERR!] - [FUNC] _ijlRead\r\n[FUNC] CJpegManager::Decode - 1\r\n"),
                  std::string::npos)
            << c.name << trace;
        EXPECT_EQ(trace.find("[FUNC] _ijlRead - ") != std::string::npos, c.headerReads) << c.name;
    }
}

TEST_F(JpegDecodeTest, AnEmptyPathReachesTheCodecAndFails) {
    CJpegManager manager;
    manager.Initialize();
    EXPECT_EQ(manager.Decode(), ERR_FAILED);
}

TEST_F(JpegDecodeTest, DecodeNeedsALoadedCodec) {
    test::writeFile("a.jpg", twoBlocks(Sampling::S422));
    CJpegManager manager;
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
    ASSERT_EQ(decode(manager, "a.jpg"), ERR_NONE);
    manager.Terminate();
    manager.Terminate();
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
    // The image decoded before stays.
    EXPECT_EQ(manager.GetY(0, 0), 50u);
}

TEST_F(JpegDecodeTest, ASecondDecodeReplacesTheImage) {
    test::writeFile("wide.jpg", twoBlocks(Sampling::S422, 64));
    test::writeFile("grey.jpg", twoBlocks(Sampling::Grey));
    CJpegManager manager;
    ASSERT_EQ(decode(manager, "wide.jpg"), ERR_NONE);
    std::string path = std::filesystem::absolute("grey.jpg").string();
    manager.SetFullPath(path.data());
    ASSERT_EQ(manager.Decode(), ERR_NONE);
    EXPECT_EQ(manager.GetWidth(), 32);
    EXPECT_EQ(manager.GetY(63, 0), 0u);  // outside the new image
}

TEST_F(JpegDecodeTest, AMissingCodecIsAModuleError) {
    // libc's folder holds no "ijl15.dll".
    test::PublishedHandle published(KxModuleHandleOf(reinterpret_cast<const void*>(&std::printf)));
    CJpegManager manager;
    LogTail log;
    EXPECT_EQ(codeOf([&] { manager.Initialize(); }), ERR_MODULE);
    const std::string trace = log.next();
    EXPECT_NE(trace.find(crlf("[ERR!] - [WAPI] LoadLibrary\n"
                              "[FUNC] CJpegManager::_LoadLibrary - 7\n")),
              std::string::npos)
        << trace;
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
}

TEST_F(JpegDecodeTest, ACodecWithoutAnEntryIsRefused) {
    const std::string partial = (test::programFolder() / "camera_fakes_partial/ijl15.dll").string();
    void* library = dlopen(partial.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    test::PublishedHandle published(KxModuleHandleOf(dlsym(library, "fakeAnchor")));
    CJpegManager manager;
    LogTail log;
    EXPECT_EQ(codeOf([&] { manager.Initialize(); }), ERR_FAILED);
    EXPECT_NE(log.next().find("[ERR!] - [WAPI] GetProcAddress\r\n"), std::string::npos);
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
    manager.Terminate();
    dlclose(library);
}

}  // namespace
}  // namespace kadrix::camera
