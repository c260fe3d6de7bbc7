// The settings dialog. Its one instance, `SettingsWindow`, lives with the main window and its
// controls hold the module's current settings, which every other part reads from it.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "config/ModuleSettings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace kadrix::clinical {

// What the dialog asks of the main window.
class SettingsDialogHost {
public:
    virtual ~SettingsDialogHost() = default;
    // Asks the host to finish synchronising before a temp folder is chosen (message 1096).
    virtual void beforeTempFolderChoice() = 0;
    virtual bool folderChoiceAllowed() const = 0;
    // The temp folder changed (message 1102 to the grabber).
    virtual void tempFolderChanged() = 0;
    virtual void prompt(const std::string& text) = 0;
    virtual void driveChanged(bool driveChosen) = 0;
    // Loads the settings into the dialog again (cancel restores every control this way).
    virtual void loadSettings() = 0;
    // The dialog closed with OK: save, refresh, lay out the capture target.
    virtual void settingsAccepted() = 0;
};

class TfrmManagerSetting : public QDialog {
public:
    explicit TfrmManagerSetting(SettingsDialogHost& host, QWidget* parent = nullptr);

    // The controls' values as settings, and back.
    ModuleSettings values() const;
    void setValues(const ModuleSettings& values);

    // Drive list of the burner: entries, the warning when the burner library is missing.
    void setDrives(const std::vector<std::string>& drives);
    void setBurnerAvailable(bool available);
    int driveCount() const;
    void selectDrive(int index);
    std::string driveText() const;

    bool cancelled() const { return cancelled_; }

    // The handlers, reachable for the main window and tests.
    void sketchChoiceClicked();
    void programPathClicked();
    void autoRefreshClicked();
    void refreshPeriodLeft();
    void tempPathClicked();
    void exportPathClicked();
    void okClicked();
    void cancelClicked();

    QCheckBox* ckAutoSave = nullptr;
    QCheckBox* sChkDefaultPrint = nullptr;
    QCheckBox* sChkDefaultSave = nullptr;
    QCheckBox* sckbAutoRefresh = nullptr;
    QLineEdit* edtRefrshTimer = nullptr;
    QLineEdit* edtShowScale = nullptr;
    QCheckBox* cbFixedWidth = nullptr;
    QLineEdit* edtFixWidth = nullptr;
    QCheckBox* sChkIsShape = nullptr;
    QCheckBox* ckShowScketchMap = nullptr;
    QCheckBox* ckShowImageCaption = nullptr;
    QCheckBox* ckOnlyShowPrintImage = nullptr;
    QCheckBox* ckStayOnBottom = nullptr;
    QCheckBox* chkShowDcmFile = nullptr;
    QCheckBox* chkDoubleBuff = nullptr;
    QCheckBox* chkTifToJPG = nullptr;
    QCheckBox* chkUseImgCache = nullptr;
    QGroupBox* rgSketchOpertion = nullptr;
    QButtonGroup* sketchChoices = nullptr;
    QLineEdit* edtSketchFileName = nullptr;
    QToolButton* edtSketchFileNameButton = nullptr;
    QLineEdit* sEdtTempPath = nullptr;
    QLineEdit* tDownPath = nullptr;
    QListWidget* clbMovieFileType = nullptr;
    QComboBox* cboDiscPath = nullptr;
    QRadioButton* radDVD = nullptr;
    QRadioButton* radCD = nullptr;
    QLabel* lblWarning = nullptr;
    QPushButton* sBtnOK = nullptr;
    QPushButton* sBtnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    SettingsDialogHost& host_;
    bool cancelled_ = false;
};

}  // namespace kadrix::clinical
