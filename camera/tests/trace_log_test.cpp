#include "trace_log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "test_folder.h"

namespace kadrix::camera {
namespace {

using test::crlf;
using test::LogTail;

// Test modules of their own, like the library's source modules.
constinit TraceBuffer bufferA{};
constinit TraceBuffer bufferB{};
constinit TraceBuffer bufferOff{};
constinit unsigned char on = 1;
constinit unsigned char off = 0;

class TraceLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        a.commit();
        b.commit();
    }
    TraceModule a{bufferA, on};
    TraceModule b{bufferB, on};
};

TEST_F(TraceLogTest, ValuesAreFormattedAsAStreamWouldInsertThem) {
    a.line("[VALU] _nWidth    - ", 3888);
    a.line("[VALU] dib_pad_bytes  - ", 4294967295u);
    a.line("[FUNC] GetVrelToMainImage - ", -5);
    a.line("[VALU] pData->Y - ", 25.0);
    a.line("[VALU] pData->U - ", -23.0);
    a.line("[VALU] pData->V - ", 1.0 / 3.0);
    a.line("[VALU] big - ", 12345678.0);
    a.line("[VALU] _pszFullPath - ", "/a/b.jpg");
    a.line("[ERR!] - ", static_cast<const char*>(nullptr));
    a.line("[FUNC] CJpegManager::Decode - ", ERR_NOT_READY);
    a.text("[CMNT]");
    a.line("[ERR!] - ", "[SYSF] _open");
    EXPECT_EQ(a.pending(),
              "[VALU] _nWidth    - 3888\n"
              "[VALU] dib_pad_bytes  - 4294967295\n"
              "[FUNC] GetVrelToMainImage - -5\n"
              "[VALU] pData->Y - 25\n"
              "[VALU] pData->U - -23\n"
              "[VALU] pData->V - 0.333333\n"
              "[VALU] big - 1.23457e+07\n"
              "[VALU] _pszFullPath - /a/b.jpg\n"
              "[ERR!] - \n"
              "[FUNC] CJpegManager::Decode - 35\n"
              "[CMNT][ERR!] - [SYSF] _open\n");
}

TEST_F(TraceLogTest, BlocksReachTheFileInCommitOrderWithCrLf) {
    LogTail log;
    a.line("[FUNC] caller starts");
    b.line("[FUNC] callee");
    b.commit();
    EXPECT_EQ(log.next(), "[FUNC] callee\r\n");
    a.line("[FUNC] caller ends");
    a.commit();
    EXPECT_EQ(log.next(), "[FUNC] caller starts\r\n[FUNC] caller ends\r\n");
    EXPECT_TRUE(a.pending().empty());
    EXPECT_EQ(bufferA.bytes[0], '\0');  // the committed block is zeroed
}

TEST_F(TraceLogTest, AModuleSwitchedOffWritesNothingAndStartsOverAtEveryCommit) {
    LogTail log;
    TraceModule quiet(bufferOff, off);
    quiet.line("[FUNC] first");
    quiet.commit();
    quiet.line("[FUNC] second");
    EXPECT_EQ(quiet.pending(), "[FUNC] second\n");
    quiet.commit();
    EXPECT_EQ(log.next(), "");
}

TEST_F(TraceLogTest, TextBeyondTheBufferIsDropped) {
    LogTail log;
    const std::string chunk(100'000, 'x');
    for (int i = 0; i < 25; ++i) a.text(chunk);
    EXPECT_EQ(a.pending().size(), kTraceBufferSize - 1);
    a.commit();
    EXPECT_EQ(log.next().size(), kTraceBufferSize - 1);
    a.line("[FUNC] after");
    a.commit();
    EXPECT_EQ(log.next(), "[FUNC] after\r\n");
}

TEST_F(TraceLogTest, WithoutTheStagingBufferCommitsRewindButWriteNothing) {
    LogTail log;
    traceLogDetach();
    a.line("[FUNC] unloaded");
    a.commit();
    EXPECT_TRUE(a.pending().empty());
    traceLogAttach();
    EXPECT_EQ(log.next(), "");
}

TEST_F(TraceLogTest, ABlockTheFileCannotTakeWaitsAndIsReplacedByTheNext) {
    LogTail log;
    const std::string saved = test::readFile("ZelDll.log");
    std::filesystem::remove("ZelDll.log");
    std::filesystem::create_directory("ZelDll.log");  // neither append nor truncate can open it
    a.line("[FUNC] lost");
    a.commit();
    EXPECT_EQ(traceLogStagedCount(), std::string("[FUNC] lost\n").size());
    std::filesystem::remove("ZelDll.log");
    a.line("[FUNC] kept");
    a.commit();
    EXPECT_EQ(traceLogStagedCount(), 0u);
    EXPECT_EQ(test::readFile("ZelDll.log"), "[FUNC] kept\r\n");
    test::writeFile("ZelDll.log", saved + "[FUNC] kept\r\n");
}

TEST_F(TraceLogTest, CaughtFailuresBecomeTheirCodeAndOneLine) {
    EXPECT_EQ(catching(a, [] { return ERR_NONE; }), ERR_NONE);
    EXPECT_EQ(catching(a, []() -> ERROR_T { fail("[SYSF] _open", ERR_FAILED); }), ERR_FAILED);
    EXPECT_EQ(catching(a, []() -> ERROR_T { throw 42; }), ERR_UNEXPECTED);
    EXPECT_EQ(catching(a, []() -> ERROR_T { throw new CException(nullptr, ERR_MEMORY); }),
              ERR_MEMORY);
    EXPECT_EQ(a.pending(),
              "[ERR!] - [SYSF] _open\n"
              "[ERR!] UnExpected Exception\n"
              "[ERR!] - \n");
}

}  // namespace
}  // namespace kadrix::camera
