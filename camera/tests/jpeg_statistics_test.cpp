// Statistics and the codec request, with a stand-in codec that delivers chosen bytes.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "kadrix/camera/jpeg_manager.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

using test::crlf;
using test::LogTail;

class JpegStatisticsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string fake = (test::programFolder() / "camera_fakes/ijl15.dll").string();
        library_ = dlopen(fake.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        published_ = std::make_unique<test::PublishedHandle>(
            KxModuleHandleOf(dlsym(library_, "fakeAnchor")));
        ASSERT_TRUE(published_->ok());
        manager_.Initialize();
    }
    void TearDown() override {
        manager_.Terminate();
        published_.reset();
        if (library_)
            dlclose(library_);
    }

    // Decodes a stand-in file: "width height channels colour subsampling [fail]" and bytes.
    ERROR_T decode(const std::string& content) {
        test::writeFile("fake.jpg", content);
        std::string path = std::filesystem::absolute("fake.jpg").string();
        manager_.SetFullPath(path.data());
        return manager_.Decode();
    }
    void request(int& jpgColor, int& dibColor, int& channels, int& pad) {
        auto get =
            reinterpret_cast<void (*)(int*, int*, int*, int*)>(dlsym(library_, "fakeIjlRequest"));
        get(&jpgColor, &dibColor, &channels, &pad);
    }
    std::pair<int, int> counts() {
        int inits = 0, frees = 0;
        reinterpret_cast<void (*)(int*, int*)>(dlsym(library_, "fakeIjlCounts"))(&inits, &frees);
        return {inits, frees};
    }
    ERROR_T thrown(auto&& call) {
        try {
            call();
        } catch (CException* e) {
            const ERROR_T code = e->GetErrorCode();
            message_ = e->GetMessage();
            delete e;
            return code;
        }
        return ERR_NONE;
    }

    void* library_ = nullptr;
    std::unique_ptr<test::PublishedHandle> published_;
    CJpegManager manager_;
    std::string message_;
};

TEST_F(JpegStatisticsTest, FourByOneRectangle) {
    ASSERT_EQ(decode("4 1 3 3 1\n10 100 20 200 30 110 40 210\n"), ERR_NONE);
    LogTail log;
    tagYUV_FLOAT_T yuv{};
    tagCHANNEL_AVERAGE_FLOAT_T pair{};
    manager_.GetYUVAverage({0, 0, 4, 1}, &yuv);
    manager_.GetEachChannelYAverage({0, 0, 4, 1}, &pair);
    EXPECT_DOUBLE_EQ(yuv.Y, 25);
    EXPECT_DOUBLE_EQ(yuv.U, -23);
    EXPECT_DOUBLE_EQ(yuv.V, 77);
    EXPECT_DOUBLE_EQ(pair.Y0, 20);
    EXPECT_DOUBLE_EQ(pair.Y1, 30);
    EXPECT_EQ(log.next(), crlf("[----]\n[FUNC] CJpegManager::GetYUVAverage\n"
                               "[VALU] nSampleCount - 4\n[VALU] pData->Y - 25\n"
                               "[VALU] pData->U - -23\n[VALU] pData->V - 77\n"
                               "[FUNC] CJpegManager::GetYUVAverage - 0\n"));
    EXPECT_EQ(manager_.GetY(0, 0), 10u);
    EXPECT_EQ(manager_.GetY(1, 0), 20u);
    EXPECT_EQ(manager_.GetY(3, 0), 40u);
}

TEST_F(JpegStatisticsTest, OddWidthsCountTheLastColumnWithoutSummingIt) {
    ASSERT_EQ(decode("5 1 3 3 1\n10 100 20 200 30 110 40 210 99 99\n"), ERR_NONE);
    tagYUV_FLOAT_T yuv{};
    tagCHANNEL_AVERAGE_FLOAT_T pair{};
    manager_.GetYUVAverage({0, 0, 5, 1}, &yuv);
    manager_.GetEachChannelYAverage({0, 0, 5, 1}, &pair);
    EXPECT_DOUBLE_EQ(yuv.Y, 100.0 / 5);
    EXPECT_DOUBLE_EQ(yuv.U, 210.0 / 2.5 - 128);
    EXPECT_DOUBLE_EQ(yuv.V, 410.0 / 2.5 - 128);
    EXPECT_DOUBLE_EQ(pair.Y0, 20);
    EXPECT_DOUBLE_EQ(pair.Y1, 30);
    EXPECT_EQ(manager_.GetY(4, 0), 99u);
}

TEST_F(JpegStatisticsTest, RowsAreWidthTimesTwoBytesApart) {
    ASSERT_EQ(decode("6 3 3 3 1\n"), ERR_NONE);  // bytes count up from 0
    EXPECT_EQ(manager_.GetY(0, 1), 12u);
    EXPECT_EQ(manager_.GetY(5, 2), 34u);
    tagCHANNEL_AVERAGE_FLOAT_T pair{};
    manager_.GetEachChannelYAverage({2, 1, 2, 2}, &pair);  // groups at 16 and 28
    EXPECT_DOUBLE_EQ(pair.Y0, (16 + 28) / 2.0);
    EXPECT_DOUBLE_EQ(pair.Y1, (18 + 30) / 2.0);
}

TEST_F(JpegStatisticsTest, EmptyRectanglesGiveNotANumber) {
    ASSERT_EQ(decode("4 2 3 3 1\n"), ERR_NONE);
    const tagRECTANGLE empties[] = {{0, 0, 0, 2}, {0, 0, 4, 0}, {0, 0, 1, 2}, {4, 2, 0, 0}};
    for (const tagRECTANGLE& rect : empties) {
        tagYUV_FLOAT_T yuv{};
        tagCHANNEL_AVERAGE_FLOAT_T pair{};
        manager_.GetYUVAverage(rect, &yuv);
        manager_.GetEachChannelYAverage(rect, &pair);
        EXPECT_TRUE(std::isnan(pair.Y0) && std::isnan(pair.Y1)) << rect.nWidth;
        if (rect.nWidth * rect.nHeight == 0) {
            EXPECT_TRUE(std::isnan(yuv.Y) && std::isnan(yuv.U) && std::isnan(yuv.V));
        }
    }
}

TEST_F(JpegStatisticsTest, RectanglesOutsideTheImageAndMissingArgumentsAreRefused) {
    tagYUV_FLOAT_T yuv{};
    tagCHANNEL_AVERAGE_FLOAT_T pair{};
    EXPECT_EQ(thrown([&] { manager_.GetYUVAverage({0, 0, 2, 1}, &yuv); }), ERR_NOT_READY);
    EXPECT_EQ(message_, "[VALU] _pbyData");
    ASSERT_EQ(decode("4 2 3 3 1\n"), ERR_NONE);
    const tagRECTANGLE outside[] = {
        {-2, 0, 2, 1}, {0, -1, 2, 1}, {4, 0, 2, 1}, {2, 0, 4, 1},
        {0, 1, 2, 2},  {0, 2, 2, 1},  {0, 0, 5, 2}, {0x7FFFFFFE, 0, 4, 1},
    };
    for (const tagRECTANGLE& rect : outside) {
        EXPECT_EQ(thrown([&] { manager_.GetYUVAverage(rect, &yuv); }), ERR_ARGUMENT)
            << rect.nLeft << "," << rect.nTop << "," << rect.nWidth << "," << rect.nHeight;
        EXPECT_EQ(message_, "[VALU] rect");
        EXPECT_EQ(thrown([&] { manager_.GetEachChannelYAverage(rect, &pair); }), ERR_ARGUMENT);
    }
    EXPECT_EQ(thrown([&] { manager_.GetYUVAverage({0, 0, 4, 2}, nullptr); }), ERR_ARGUMENT);
    EXPECT_EQ(message_, "[VALU] pData");
    EXPECT_EQ(thrown([&] {
                  manager_.GetEachChannelYAverage({0, 0, 4, 2}, nullptr);
              }),
              ERR_ARGUMENT);
    EXPECT_EQ(manager_.GetY(4, 0), 0u);
    EXPECT_EQ(manager_.GetY(0, -1), 0u);
}

TEST_F(JpegStatisticsTest, LinesOfAnOperationThatThrowsGoOutWithTheNextCommit) {
    ASSERT_EQ(decode("4 2 3 3 1\n"), ERR_NONE);
    LogTail log;
    EXPECT_EQ(thrown([&] { manager_.GetYUVAverage({0, 0, 4, 2}, nullptr); }), ERR_ARGUMENT);
    EXPECT_EQ(log.next(), "");
    ASSERT_EQ(decode("4 2 3 3 1\n"), ERR_NONE);
    const std::string trace = log.next();
    EXPECT_EQ(trace.rfind(crlf("[----]\n[FUNC] CJpegManager::GetYUVAverage\n"
                               "[----]\n[FUNC] CJpegManager::Decode\n"),
                          0),
              0u)
        << trace;
}

TEST_F(JpegStatisticsTest, TheFilesColourValueChoosesTheRequest) {
    struct Case {
        int channels, fileColour;
        int jpgColor, dibColor;
    };
    const Case cases[] = {
        {3, 1, 4, 3},     {1, 1, 4, 3},     {3, 3, 3, 3},     {1, 3, 3, 3},
        {3, 4, 255, 255}, {1, 4, 255, 255}, {3, 2, 255, 255}, {4, 255, 255, 255},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(decode("4 2 " + std::to_string(c.channels) + " " + std::to_string(c.fileColour) +
                         " 1\n"),
                  ERR_NONE);
        int jpgColor = 0, dibColor = 0, channels = 0, pad = 0;
        request(jpgColor, dibColor, channels, pad);
        EXPECT_EQ(jpgColor, c.jpgColor) << c.channels << " " << c.fileColour;
        EXPECT_EQ(dibColor, c.dibColor) << c.channels << " " << c.fileColour;
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(pad, 0);
    }
}

TEST_F(JpegStatisticsTest, TheCodecStateIsReleasedWhenTheImageReadFails) {
    const auto before = counts();
    LogTail log;
    EXPECT_EQ(decode("4 2 3 3 1 fail\n"), ERR_FAILED);
    const auto after = counts();
    EXPECT_EQ(after.first - before.first, 1);
    EXPECT_EQ(after.second - before.second, 1);
    EXPECT_NE(log.next().find(crlf("[FUNC] _ijlRead - -3\n[ERR!] - [FUNC] _ijlRead\n"
                                   "[FUNC] CJpegManager::Decode - 1\n")),
              std::string::npos);
}

}  // namespace
}  // namespace kadrix::camera
