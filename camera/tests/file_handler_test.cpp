#include "kadrix/camera/file_handler.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/mman.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "open_error_texts.h"
#include "test_folder.h"

namespace kadrix::camera {
namespace {

using test::crlf;
using test::LogTail;

// Shows the protected members.
class ProbeHandler : public CFileHandler {
  public:
    int handle() const { return _nHandle; }
    const char* fullPath() const { return _pszFullPath; }
    const char* fileName() const { return _pszFileName; }
};

std::string fromShiftJis(const char* bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string in(bytes), out(in.size() * 3, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        return "(not Shift-JIS)";
    out.resize(out.size() - dstLeft);
    return out;
}

TEST(OpenErrorTexts, AreTheJapaneseExplanationsInShiftJis) {
    struct Case {
        int error;
        const char* utf8;
    };
    const Case cases[] = {
        {ENOENT, "ファイル名またはパス名が見つからない。"},
        {EACCES,
         "読み出し専用ファイルを書き込みのために開こうとした、または共有違反が発生した "
         "(指定した操作はファイルの共有モードでは許可されない)、または指定されたパス名がディレク"
         "トリだった。"},
        {EEXIST, "_O_CREAT と _O_EXCL フラグが指定されたが、filename は既に存在している。"},
        {EINVAL, "無効な oflag または pmode が指定された。"},
        {EMFILE, "ファイル ハンドルをこれ以上使えない (開いたファイルが多すぎる)。"},
    };
    for (const Case& c : cases) {
        ASSERT_NE(openErrorExplanation(c.error), nullptr) << c.error;
        EXPECT_EQ(fromShiftJis(openErrorExplanation(c.error)), c.utf8) << c.error;
    }
    EXPECT_EQ(openErrorExplanation(EISDIR), nullptr);
    // Byte for byte: the first explanation starts with katakana "fa" = 83 74 83 40.
    EXPECT_EQ(std::string(openErrorExplanation(ENOENT)).substr(0, 4), "\x83\x74\x83\x40");
}

class FileHandlerTest : public ::testing::Test {
  protected:
    std::string absolute(const char* name) { return std::filesystem::absolute(name).string(); }
};

TEST_F(FileHandlerTest, FailedOpensExplainTheErrorThenReportTheCall) {
    test::writeFile("exists.txt", std::string("x"));
    std::filesystem::create_directories("folder");
    struct Case {
        const char* name;
        int oflag;
        const char* explanation;  // null: the error number has none, the lines run together
    };
    const Case cases[] = {
        {"missing.txt", O_RDONLY, openErrorExplanation(ENOENT)},
        {"exists.txt", O_CREAT | O_EXCL | O_WRONLY, openErrorExplanation(EEXIST)},
        {"folder", O_TMPFILE | O_RDONLY, openErrorExplanation(EINVAL)},  // tmpfile must write
        {"folder", O_WRONLY, nullptr},                                   // EISDIR
    };
    for (const Case& c : cases) {
        ProbeHandler handler;
        LogTail log;
        const std::string path = absolute(c.name);
        EXPECT_EQ(handler.Open(path.c_str(), c.oflag, 0600), ERR_FAILED) << c.name;
        EXPECT_EQ(handler.handle(), -1);
        const std::string expected =
            c.explanation ? "[CMNT]" + std::string(c.explanation) + "\n" : std::string("[CMNT]");
        EXPECT_EQ(log.next(), crlf(expected + "[ERR!] - [SYSF] _open\n")) << c.name;
        EXPECT_STREQ(handler.GetFileName(), c.name);
    }
}

TEST_F(FileHandlerTest, OpenAndCloseADescriptor) {
    ProbeHandler handler;
    const std::string path = absolute("new.txt");
    LogTail log;
    ASSERT_EQ(handler.Open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600), ERR_NONE);
    EXPECT_GE(handler.handle(), 0);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(handler.Close(), ERR_NONE);
    EXPECT_EQ(handler.handle(), -1);
    EXPECT_EQ(log.next(), "");
    // Closing again, or a handler that never opened, fails and stays closed.
    EXPECT_EQ(handler.Close(), ERR_FAILED);
    EXPECT_EQ(handler.handle(), -1);
    EXPECT_EQ(log.next(), "[ERR!] - [STDF] _close\r\n");
}

TEST_F(FileHandlerTest, APathWithoutSeparatorIsRefusedBeforeAnyOpen) {
    ProbeHandler handler;
    LogTail log;
    EXPECT_EQ(handler.Open("bare.txt", O_CREAT | O_WRONLY, 0600), ERR_FAILED);
    EXPECT_FALSE(std::filesystem::exists("bare.txt"));
    EXPECT_EQ(log.next(), "[ERR!] - [VALU] _pszFileName\r\n");
    EXPECT_EQ(handler.Open(nullptr, O_RDONLY), ERR_FAILED);
}

TEST_F(FileHandlerTest, SetFileNameAfterOpenNeverWritesIntoTheCallersString) {
    ProbeHandler handler;
    test::writeFile("a.txt", std::string("x"));
    const std::string path = absolute("a.txt");
    ASSERT_EQ(handler.Open(path.c_str(), O_RDONLY), ERR_NONE);
    char other[] = "bb.txt";
    handler.SetFileName(other);
    EXPECT_STREQ(handler.GetFileName(), "bb.txt");
    EXPECT_EQ(path, absolute("a.txt"));
    EXPECT_EQ(handler.Close(), ERR_NONE);
}

TEST_F(FileHandlerTest, ExecutablePath) {
    ProbeHandler handler;
    handler.GetFullPath();
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(handler.fullPath(), exe);
    EXPECT_STREQ(handler.GetFileName(), "camera_tests");

    LogTail log;
    char unused[4] = "";
    EXPECT_EQ(handler.GetFullPath(unused, unused), ERR_NONE);
    EXPECT_EQ(log.next(),
              crlf("[VALU] pszFullPath - " + exe + "\n[VALU] pszFileName - camera_tests\n"));
    EXPECT_STREQ(unused, "");
}

TEST_F(FileHandlerTest, CompanionPathLiesBesideThePublishedModule) {
    // libc's folder stands for any module the host may publish.
    void* hModule = KxModuleHandleOf(reinterpret_cast<const void*>(&std::printf));
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<const void*>(&std::printf), &info), 0);
    const std::string expected =
        std::filesystem::path(info.dli_fname).parent_path().string() + "/ijl15.dll";
    test::PublishedHandle published(hModule);
    ASSERT_TRUE(published.ok());
    ProbeHandler handler;
    handler.GetFullPath("ijl15.dll");
    EXPECT_EQ(handler.fullPath(), expected);
    EXPECT_STREQ(handler.GetFileName(), "ijl15.dll");
    EXPECT_EQ(handler.fileName(), handler.fullPath() + expected.size() - 9);
}

TEST_F(FileHandlerTest, NoPublisherMeansBesideTheExecutable) {
    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    ProbeHandler handler;
    handler.GetFullPath("Rostra.dll");
    EXPECT_EQ(handler.fullPath(), (test::programFolder() / "Rostra.dll").string());
}

TEST_F(FileHandlerTest, NullCompanionNameLeavesThePathAlone) {
    ProbeHandler handler;
    char path[] = "/x/y.jpg";
    handler.SetFullPath(path);
    LogTail log;
    handler.GetFullPath(static_cast<const char*>(nullptr));
    EXPECT_EQ(log.next(), "[ERR!] - [VALU] pParameter\r\n");
    EXPECT_STREQ(handler.fullPath(), "/x/y.jpg");
    EXPECT_EQ(handler.fileName(), nullptr);
}

TEST_F(FileHandlerTest, FileNamePositionMustBeSetFirst) {
    ProbeHandler handler;
    LogTail log;
    handler.GetFileName("ignored");
    EXPECT_EQ(log.next(), "[ERR!] - [VALU] _pszFileName\r\n");
    char name[] = "x.jpg";
    try {
        handler.SetFileName(name);
        FAIL() << "SetFileName before any file-name position";
    } catch (CException* e) {
        EXPECT_EQ(e->GetErrorCode(), ERR_NOT_READY);
        EXPECT_STREQ(e->GetMessage(), "[VALU] _pszFileName");
        delete e;
    }
    // Once a position is set, it follows the path; the file name is replaced in place.
    handler.GetFullPath();
    char path[] = "/photos/a.jpg";
    handler.SetFullPath(path);
    handler.GetFileName("ignored");
    char other[] = "b.jpg";
    handler.SetFileName(other);
    EXPECT_STREQ(handler.fullPath(), "/photos/b.jpg");
}

TEST_F(FileHandlerTest, PathsThatDoNotFitAreRefusedAndLeaveTheBufferIntact) {
    ProbeHandler handler;
    handler.GetFullPath();
    char path[] = "/photos/a.jpg";
    handler.SetFullPath(path);
    handler.GetFileName("ignored");
    std::string tooLong(CFileHandler::PATH_CAPACITY, 'n');
    std::string fits(CFileHandler::PATH_CAPACITY - 1 - 8, 'f');  // "/photos/" + name + NUL
    auto code = [](auto&& call) {
        try {
            call();
        } catch (CException* e) {
            const ERROR_T c = e->GetErrorCode();
            delete e;
            return c;
        }
        return ERR_NONE;
    };
    EXPECT_EQ(code([&] { handler.SetFullPath(tooLong.data()); }), ERR_FAILED);
    EXPECT_EQ(code([&] { handler.SetFileName(tooLong.data()); }), ERR_FAILED);
    EXPECT_STREQ(handler.fullPath(), "/photos/a.jpg");
    EXPECT_EQ(code([&] { handler.SetFileName(fits.data()); }), ERR_NONE);
    EXPECT_EQ(handler.fullPath(), "/photos/" + fits);

    shm_unlink(KxSharedObjectName(SHARED_NAME_HANDLE).c_str());
    LogTail log;
    handler.GetFullPath(tooLong.c_str());
    EXPECT_EQ(log.next(), "[ERR!] - [VALU] pParameter\r\n");
    EXPECT_EQ(handler.fullPath(), "/photos/" + fits);
}

TEST_F(FileHandlerTest, CopiesOwnTheirBuffersAndDescriptors) {
    test::writeFile("c.txt", std::string("x"));
    const std::string path = absolute("c.txt");
    auto* original = new ProbeHandler;
    ASSERT_EQ(original->Open(path.c_str(), O_RDONLY), ERR_NONE);
    ProbeHandler copy(*original);
    EXPECT_NE(copy.handle(), original->handle());
    EXPECT_STREQ(copy.GetFileName(), "c.txt");
    EXPECT_NE(copy.GetFileName(), original->GetFileName());
    delete original;
    EXPECT_EQ(copy.Close(), ERR_NONE);
}

}  // namespace
}  // namespace kadrix::camera
