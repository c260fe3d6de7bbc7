#include "kadrix/camera/vrel_manager.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "image_fixtures.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

using test::crlf;
using test::LogTail;

ERROR_T thrownCode(auto&& call) {
    try {
        call();
    } catch (CException* e) {
        const ERROR_T code = e->GetErrorCode();
        delete e;
        return code;
    }
    return ERR_NONE;
}

ERROR_T decode(CVrelManager& manager, const std::string& name) {
    std::string path = std::filesystem::absolute(name).string();
    manager.SetFullPath(path.data());
    return manager.Decode();
}

TEST(VrelManager, DecodesATinyDngThroughRostra) {
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());  // "Rostra.dll" beside the program
    auto value = [](int x, int y) { return static_cast<std::uint16_t>(1000 + 7 * x + 131 * y); };
    const std::uint32_t offset = test::writeTinyDng("tiny.dng", 32, 24, value);
    CVrelManager manager;
    manager.Initialize();
    LogTail log;
    ASSERT_EQ(decode(manager, "tiny.dng"), ERR_NONE);
    EXPECT_EQ(manager.GetWidth(), 32u);
    EXPECT_EQ(manager.GetHeight(), 24u);
    EXPECT_EQ(
        log.next(),
        crlf("[----]\n[FUNC] CVrelManager::Decode\n[FUNC] GetVrelToMainImage - 0\n"
             "[VALU] _unWidth  - 32\n[VALU] _unHeight - 24\n[VALU] _nBits    - 16\n"
             "[VALU] _ulOffset - " +
             std::to_string(offset) + "\n[WAPI] HeapFree - 1\n[FUNC] CVrelManager::Decode - 0\n"));
    unsigned char* copy = nullptr;
    manager.GetImageBuffer(&copy);
    ASSERT_NE(copy, nullptr);
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 32; ++x) {
            std::uint16_t v = 0;
            std::memcpy(&v, copy + (y * 32 + x) * 2, 2);
            ASSERT_EQ(v, value(x, y)) << x << "," << y;
        }
    }
    std::free(copy);
    manager.Terminate();
    manager.Terminate();
}

TEST(VrelManager, AFileRostraCannotReadIsItsOddStatus) {
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    test::writeFile("photo.raw", std::string("this is no raw file"));
    CVrelManager manager;
    manager.Initialize();
    EXPECT_EQ(decode(manager, "photo.raw"), 1);
    EXPECT_EQ(decode(manager, "absent.raw"), 1);
    EXPECT_EQ(thrownCode([&] {
                  unsigned char* p = nullptr;
                  manager.GetImageBuffer(&p);
              }),
              ERR_NOT_READY);
}

class VrelFakeTest : public ::testing::Test {
  protected:
    void publish(const char* folder) {
        const std::string fake = (test::programFolder() / folder / "Rostra.dll").string();
        library_ = dlopen(fake.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        published_ = std::make_unique<test::PublishedHandle>(
            KxModuleHandleOf(dlsym(library_, "fakeAnchor")));
    }
    void TearDown() override {
        published_.reset();
        if (library_)
            dlclose(library_);
    }
    void* library_ = nullptr;
    std::unique_ptr<test::PublishedHandle> published_;
};

TEST_F(VrelFakeTest, StatusesOfTheEntryComeBackAsFailures) {
    publish("camera_fakes");
    CVrelManager manager;
    manager.Initialize();
    test::writeFile("ok.raw", std::string("0 100 50 16 4096"));
    ASSERT_EQ(decode(manager, "ok.raw"), ERR_NONE);
    struct Case {
        const char* content;
        int result;
    };
    // The library's status comes back as it is, even or odd.
    const Case cases[] = {{"5 0 0 0 0", 5}, {"2 0 0 0 0", 2}, {"-4 0 0 0 0", -4}};
    for (const Case& c : cases) {
        test::writeFile("bad.raw", std::string(c.content));
        LogTail log;
        EXPECT_EQ(decode(manager, "bad.raw"), c.result) << c.content;
        const std::string status =
            std::string(c.content).substr(0, std::string(c.content).find(' '));
        EXPECT_EQ(
            log.next(),
            crlf("[----]\n[FUNC] CVrelManager::Decode\n[FUNC] GetVrelToMainImage - " + status +
                 "\n[ERR!] - [FUNC] GetVrelToMainImage\n"
                 "[FUNC] CVrelManager::Decode - " +
                 std::to_string(c.result) + "\n"));
        // The earlier image and its size stay.
        EXPECT_EQ(manager.GetWidth(), 100u);
    }
    unsigned char* copy = nullptr;
    manager.GetImageBuffer(&copy);
    EXPECT_EQ(copy[9999], static_cast<unsigned char>(9999));  // 2 x 100 x 50 bytes
    std::free(copy);
}

TEST_F(VrelFakeTest, TwelveBitImagesAreSizedWithOneBytePerPixel) {
    publish("camera_fakes");
    CVrelManager manager;
    manager.Initialize();
    test::writeFile("twelve.raw", std::string("0 10 3 12 0"));
    ASSERT_EQ(decode(manager, "twelve.raw"), ERR_NONE);
    unsigned char* copy = nullptr;
    manager.GetImageBuffer(&copy);
    EXPECT_EQ(copy[29], 29);  // 30 bytes; ASan guards the end
    std::free(copy);
}

TEST_F(VrelFakeTest, DecodeNeedsTheEntryOfALoadedLibrary) {
    publish("camera_fakes");
    CVrelManager manager;
    LogTail log;
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
    EXPECT_NE(log.next().find("[ERR!] - [VALU] GetVrelToMainImage\r\n"), std::string::npos);
    manager.Initialize();
    manager.Terminate();
    EXPECT_EQ(manager.Decode(), ERR_NOT_READY);
}

TEST_F(VrelFakeTest, AMissingEntryOrLibraryIsRefused) {
    publish("camera_fakes_partial");
    {
        CVrelManager manager;
        EXPECT_EQ(thrownCode([&] { manager.Initialize(); }), ERR_FAILED);
    }
    published_.reset();
    test::PublishedHandle libc(KxModuleHandleOf(reinterpret_cast<const void*>(&std::printf)));
    CVrelManager manager;
    LogTail log;
    EXPECT_EQ(thrownCode([&] { manager.Initialize(); }), ERR_MODULE);
    EXPECT_NE(log.next().find("[ERR!] - [WAPI] LoadLibrary\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kadrix::camera
