// The module's main window `TfrmKadrix`: created by the first CreateKadrix, it owns the
// services, the settings dialog and the thumbnail lists, and handles the host's messages.
#pragma once

#include <QWidget>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "config/HostServices.h"
#include "config/ManagerSettingUnit.h"
#include "kadrix/platform/message_window.h"
#include "kadrix/platform/timer.h"
#include "ui/ThumbnailListSeam.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;

namespace kadrix::clinical {

class TfrmKadrix : public QWidget, private SettingsDialogHost {
public:
    // Runs the window's creation steps (services, settings, burner, layout, first refresh).
    TfrmKadrix();
    ~TfrmKadrix() override;

    KxHwnd handle() const { return window_.handle(); }

    // Host interface fields.
    int32_t ApplyNo = 0;
    int32_t ReportID = 0;
    KxHwnd GrabHandle = 0;
    std::string CaptureFileName;
    std::string CaptureFolder;
    std::string SelectedImagePath;
    bool FolderChoiceAllowed = true;
    bool ReportEditable = true;
    bool RightsControlImages = false;
    std::set<std::string> ImageRights;
    std::vector<std::string> TempFileList;
    bool AllImagesMode = false;
    std::string DownImagePath;
    std::string SketchProgram;
    std::string MovFileType = ".Avi";

    TfrmManagerSetting* SettingsWindow = nullptr;
    ThumbnailListSeam mainList;

    std::optional<DataService> data;
    std::optional<CommonService> common;
    std::optional<BaseInfoService> baseInfo;
    std::optional<ArchiveServer> archive;

    ModuleSettings settings() const { return SettingsWindow->values(); }
    const std::string& moduleSection() const { return moduleSection_; }
    const platform::Timer& refreshTimer() const { return refreshTimer_; }
    bool burnerReady() const { return burnerReady_; }
    QAction* burnAction() const { return mnuBurnSelectImages_; }
    QAction* cloneAction() const { return NClone_; }
    QAction* allImagesAction() const { return mnuAllImages_; }
    QLabel* captureTargetLabel() const { return lblTmpSavePath_; }

    // Shows the window, restoring it when minimised.
    void showKadrix();
    void loadSettings() override;
    void saveSettings();
    // Reloads the settings, then the lists of the examination (mode 0: all lists, 1: main list).
    void refreshImageLists(int mode);
    // The folder the next capture goes into ("" or "当前报告": the current examination).
    void setCaptureTarget(const std::string& name);
    // The selection handler CreateKadrix attaches to the main list.
    void imageSelected(const std::string& path);
    std::optional<KxLResult> handleMessage(const platform::Message& message);

private:
    void initialiseServices();
    void bindBurner();
    void applyLayout(const ModuleSettings& values);
    void showingSteps();
    void writeFilmPictures();
    void sendToQueuePicker(const std::string& text);
    void captureForExamination(const std::string& applyNoText);

    // SettingsDialogHost
    void beforeTempFolderChoice() override;
    bool folderChoiceAllowed() const override { return FolderChoiceAllowed; }
    void tempFolderChanged() override;
    void prompt(const std::string& text) override;
    void driveChanged(bool driveChosen) override;
    void settingsAccepted() override;

    void showEvent(QShowEvent* event) override;

    platform::MessageWindow window_;
    platform::Timer refreshTimer_;
    std::string moduleSection_;
    bool burnerReady_ = false;
    int displayStyle_ = 0;

    QToolBar* TbrImg_ = nullptr;
    QLabel* sPnlStatus_ = nullptr;
    QLabel* lblTmpSavePath_ = nullptr;
    QFrame* pnlSketchMap_ = nullptr;
    QLabel* Label1_ = nullptr;
    QComboBox* CmbImageCaption_ = nullptr;
    QFrame* Shape1_ = nullptr;
    QLabel* ImageSketchMap_ = nullptr;
    QMenu* popmAdvance_ = nullptr;
    QAction* mnuBurnSavedImages_ = nullptr;
    QAction* mnuBurnSelectImages_ = nullptr;
    QAction* NClone_ = nullptr;
    QAction* mnuAllImages_ = nullptr;
};

// The module singleton.
extern TfrmKadrix* frmKadrix;

}  // namespace kadrix::clinical
