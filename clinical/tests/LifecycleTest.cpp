#include <dlfcn.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>

#include <cstdio>
#include <set>

#include "ClinicalFixture.h"
#include "host/HostMessages.h"
#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/library.h"
#include "kadrix/platform/registry_store.h"

#include <algorithm>
#include <fstream>
#include "kadrix/platform/message_window.h"

using namespace kadrix;
using namespace kadrix::testing;
using clinical::frmKadrix;

using Lifecycle = ClinicalTest;

TEST_F(Lifecycle, WindowLivesUntilAsManyFreesAsCreates) {
    EXPECT_EQ(GetKadrixHandle(), 0u);
    CreateKadrix(0);
    const KxHwnd window = GetKadrixHandle();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(platform::isWindow(window));
    CreateKadrix(0);
    EXPECT_EQ(GetKadrixHandle(), window) << "a second create makes no second window";
    FreeKadrix();
    EXPECT_EQ(GetKadrixHandle(), window);
    FreeKadrix();
    EXPECT_EQ(GetKadrixHandle(), 0u);
    EXPECT_FALSE(platform::isWindow(window));
    FreeKadrix();  // without a window: only counts
    EXPECT_EQ(clinical::CreateCount, -1);
}

TEST_F(Lifecycle, GrabberHandleIsKeptForZeroAndSetByMessage) {
    CreateKadrix(0x5000);
    EXPECT_EQ(frmKadrix->GrabHandle, 0x5000u);
    CreateKadrix(0);
    EXPECT_EQ(frmKadrix->GrabHandle, 0x5000u);
    platform::sendMessage(GetKadrixHandle(), clinical::message::GrabberWindow, 0x6000);
    EXPECT_EQ(frmKadrix->GrabHandle, 0x6000u);
    SetGrabHandle(0x7000);
    EXPECT_EQ(frmKadrix->GrabHandle, 0x7000u);
}

TEST_F(Lifecycle, ASecondCreateTellsTheHostTheApplicationNumber) {
    CreateKadrix(0);
    platform::sendMessage(GetKadrixHandle(), clinical::message::OpenExamination, 4711);
    CreateKadrix(0);
    EXPECT_EQ(frame->userParams["ApplyNo"], "4711");
}

TEST_F(Lifecycle, TheSystemCloseCommandDoesNotCloseTheWindow) {
    CreateKadrix(0);
    ShowKadrix();
    ASSERT_TRUE(frmKadrix->isVisible());
    platform::sendMessage(GetKadrixHandle(), platform::msg::SysCommand, platform::syscmd::Close);
    EXPECT_TRUE(frmKadrix->isVisible());
    HideKadrix();
    EXPECT_FALSE(frmKadrix->isVisible());
    ShowKadrix();
    EXPECT_TRUE(frmKadrix->isVisible());
}

TEST_F(Lifecycle, HostMessagesSetTheirFields) {
    CreateKadrix(0);
    const KxHwnd w = GetKadrixHandle();
    platform::sendMessage(w, clinical::message::FolderChoice, 1);
    EXPECT_FALSE(frmKadrix->FolderChoiceAllowed);
    platform::sendMessage(w, clinical::message::FolderChoice, 0);
    EXPECT_TRUE(frmKadrix->FolderChoiceAllowed);

    // A locked report locks its images only when the host says report rights control them.
    platform::sendMessage(w, clinical::message::ReportLock, 0);
    EXPECT_TRUE(frmKadrix->ReportEditable);
    frmKadrix->RightsControlImages = true;
    platform::sendMessage(w, clinical::message::ReportLock, 0);
    EXPECT_FALSE(frmKadrix->ReportEditable);
    platform::sendMessage(w, clinical::message::ReportLock, 1);
    EXPECT_TRUE(frmKadrix->ReportEditable);
    EXPECT_EQ(platform::sendMessage(w, clinical::message::Ignored1103), 0);
}

TEST_F(Lifecycle, UserRightsAndDockingAtShowing) {
    ASSERT_TRUE(site->database()->grantRight(site->config().sysCode, "right_ImageList", site->config().userId,
                                             "ExpImages", 1).ok());
    ASSERT_TRUE(site->database()->grantRight(site->config().sysCode, "right_ImageList", site->config().userId,
                                             "DelImages", 0).ok());
    CreateKadrix(0);
    EXPECT_EQ(frmKadrix->ImageRights, std::set<std::string>{"ExpImages"});
    ASSERT_FALSE(frame->docks.empty());
    EXPECT_EQ(frame->docks.back().window, GetKadrixHandle());
    EXPECT_EQ(frame->docks.back().frame, "Public");
    EXPECT_EQ(frame->docks.back().index, -1);
    EXPECT_EQ(frame->docks.back().position, 1) << "the side column unless StayOnBottom";
}

TEST_F(Lifecycle, AMissingArchiveServerIsReportedAtEachServiceInitialisation) {
    platform::unregisterClass(clinical::ArchiveClassId);
    ASSERT_TRUE(platform::RegistryStore::instance()
                    .deleteKey(std::string("HKEY_CLASSES_ROOT\\CLSID\\") + clinical::ArchiveClassId)
                    .ok());
    CreateKadrix(0);
    const auto texts = prompts->texts();
    // The creation initialises the services twice: once before and once after the burner.
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Ferrolink错误,可能尚未安装!"), 2);
    EXPECT_FALSE(frmKadrix->archive.has_value());
    CreateKadrix(0);
    const auto after = prompts->texts();
    EXPECT_EQ(std::count(after.begin(), after.end(), "Ferrolink错误,可能尚未安装!"), 2) << "a later create initialises nothing";
}

TEST_F(Lifecycle, WithoutTheBurnerLibraryTheBurnEntriesAreOff) {
    CreateKadrix(0);
    EXPECT_FALSE(frmKadrix->burnerReady());
    EXPECT_FALSE(frmKadrix->burnAction()->isEnabled());
    EXPECT_FALSE(frmKadrix->cloneAction()->isEnabled());
    EXPECT_FALSE(frmKadrix->SettingsWindow->lblWarning->isHidden());
    EXPECT_TRUE(frmKadrix->SettingsWindow->cboDiscPath->isHidden());
}

TEST_F(Lifecycle, FilmPicturesBesideTheProgram) {
    // move.bmp is written only when missing (it later holds a video's frame); FilmIcon.bmp always.
    const std::string move = platform::hostProgramFolder() + "move.bmp";
    const std::string icon = platform::hostProgramFolder() + "FilmIcon.bmp";
    std::ofstream(move, std::ios::binary | std::ios::trunc) << "a frame of the last video";
    fs::remove(icon);
    CreateKadrix(0);
    std::ifstream kept(move, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "a frame of the last video");
    ASSERT_TRUE(fs::exists(icon));
    EXPECT_EQ(QImage(QString::fromStdString(icon)).format() != QImage::Format_Invalid, true);
    FreeKadrix();
    fs::remove(move);
    CreateKadrix(0);
    EXPECT_FALSE(QImage(QString::fromStdString(move)).isNull()) << "a missing placeholder is written";
}

TEST_F(Lifecycle, MenusAndLabelsCarryTheirTexts) {
    CreateKadrix(0);
    EXPECT_EQ(frmKadrix->windowTitle(), "图像");
    EXPECT_EQ(frmKadrix->burnAction()->text(), "刻录所有待刻录的文件");
    EXPECT_EQ(frmKadrix->cloneAction()->text(), "添加文件并刻录");
    EXPECT_EQ(frmKadrix->allImagesAction()->text(), "所有图象");
    EXPECT_EQ(frmKadrix->captureTargetLabel()->text(), "采集到:当前报告");
}

TEST(ClinicalLibrary, ExportsExactlyTheHostInterface) {
    const std::string library = platform::hostProgramFolder() + "libkadrix_clinical.so";
    FILE* nm = ::popen(("nm -D --defined-only " + library).c_str(), "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, nm)) {
        char address[64], kind[8], name[400];
        if (std::sscanf(line, "%63s %7s %399s", address, kind, name) == 3) exported.insert(name);
    }
    ::pclose(nm);
    const std::set<std::string> expected = {
        "CreateKadrix",       "FreeKadrix",        "ShowKadrix",       "HideKadrix",         "GetKadrixHandle",
        "SetGrabHandle",      "SetAviFileName",    "GetSettingString", "SetSettingString",   "GetSettingInt",
        "SetSettingInt",      "GetSettingDateTime", "SetSettingDateTime", "GetTempPath",     "GetSelectFullPath",
        "Bit2JpegH",          "Bit2JpegF",         "Bmp2Jpeg",         "GetTempImageCount", "GetNewImagFileName",
        "GetPatInfOfImage"};
    EXPECT_EQ(exported, expected);
}
