#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ClinicalFixture.h"
#include "host/HostMessages.h"
#include "kadrix/platform/message_window.h"

using namespace kadrix;
using namespace kadrix::testing;
using clinical::frmKadrix;

using Settings = ClinicalTest;

TEST(SettingsRules, MovieFilesByExtension) {
    struct Case {
        const char* file;
        const char* types;
        bool movie;
    } cases[] = {
        {"/p/clip.AVI", ".Avi", true},     {"/p/clip.mpg", ".Avi", false},  {"/p/clip.mpg", ".Avi|.mpg|", true},
        {"/p/clip.MPEG", ".Avi|.Mpeg|", true}, {"/p/clip", ".Avi", false},     {"/p.avi/clip", ".Avi", false},
    };
    for (const Case& c : cases) EXPECT_EQ(clinical::isMovieFile(c.file, c.types), c.movie) << c.file << " " << c.types;
    EXPECT_EQ(clinical::movieTypesText(clinical::tickedMovieTypes(".Avi|.mpg|")), ".Avi|.mpg|");
    EXPECT_EQ(clinical::movieTypesText({false, false, false, false}), "");
}

TEST(SettingsRules, RefreshPeriodIsAtLeastThreeSeconds) {
    struct Case {
        const char* entered;
        const char* kept;
    } cases[] = {{"1", "3"}, {"abc", "3"}, {"", "3"}, {"3", "3"}, {"12", "12"}};
    for (const Case& c : cases) EXPECT_EQ(clinical::raisedRefreshPeriod(c.entered), c.kept) << c.entered;
}

TEST_F(Settings, AModuleSectionWithoutUseFixWidthIsIgnored) {
    storeSetting("Images\\Default", "FixWidth", "200");
    storeSetting("Images\\Default", "TempPath", "/shared/pool");
    storeSetting("Images\\RIS", "FixWidth", "300");  // every key but UseFixWidth
    CreateKadrix(0);
    EXPECT_EQ(frmKadrix->settings().fixWidth, "200");
    EXPECT_EQ(frmKadrix->settings().tempPath, "/shared/pool");
    EXPECT_EQ(frmKadrix->mainList.thumbnailWidth, 200);

    frmKadrix->SettingsWindow->okClicked();  // saving writes the module section
    EXPECT_EQ(storedSetting("Images\\RIS", "UseFixWidth"), "0");
    storeSetting("Images\\RIS", "FixWidth", "333");
    frmKadrix->loadSettings();
    EXPECT_EQ(frmKadrix->settings().fixWidth, "333");
}

TEST_F(Settings, ANewSystemReadsDefaultsEverywhere) {
    CreateKadrix(0);
    const clinical::ModuleSettings v = frmKadrix->settings();
    EXPECT_EQ(v.fixWidth, "150");
    EXPECT_EQ(v.showScale, "0.75");
    EXPECT_EQ(v.timerAutoResfresh, "1");
    EXPECT_EQ(v.movFileType, ".Avi|");
    EXPECT_EQ(v.tempPath, (root_ / "data/kadrix/POOL").string());
    EXPECT_TRUE(fs::is_directory(root_ / "data/kadrix/POOL"));
    EXPECT_TRUE(fs::is_directory(root_ / "data/kadrix/DownImage"));
    EXPECT_FALSE(frmKadrix->allImagesAction()->isVisible());
}

TEST_F(Settings, TimerPeriodThatIsNoNumberLoadsAsOneSecond) {
    storeSetting("Images\\RIS", "UseFixWidth", "0");
    storeSetting("Images\\RIS", "AutoResfresh", "1");
    storeSetting("Images\\RIS", "TimerAutoResfresh", "abc");
    CreateKadrix(0);
    EXPECT_TRUE(frmKadrix->refreshTimer().enabled());
    EXPECT_EQ(frmKadrix->refreshTimer().interval(), 1000);
    EXPECT_EQ(frmKadrix->SettingsWindow->edtRefrshTimer->text(), "1");
    EXPECT_TRUE(frmKadrix->SettingsWindow->edtRefrshTimer->isEnabled());
}

TEST_F(Settings, AStoredDriveBeyondTheListLeavesTheSelection) {
    storeSetting("Images\\RIS", "UseFixWidth", "0");
    CreateKadrix(0);
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;
    dialog.setDrives({"E:\\ (first)", "F:\\ (second)"});
    storeSetting("Images\\RIS", "CDWriter", "1");
    frmKadrix->loadSettings();
    EXPECT_EQ(dialog.cboDiscPath->currentIndex(), 1);
    storeSetting("Images\\RIS", "CDWriter", "3");  // two drives listed
    frmKadrix->loadSettings();
    EXPECT_EQ(dialog.cboDiscPath->currentIndex(), 1) << "the selection stays";
    EXPECT_EQ(frmKadrix->settings().cdWriter, 1);
}

TEST_F(Settings, OnlyPrintedImagesShowTheAllImagesMenu) {
    storeSetting("Images\\RIS", "UseFixWidth", "0");
    storeSetting("Images\\RIS", "OnlyShowPrintImage", "1");
    CreateKadrix(0);
    EXPECT_TRUE(frmKadrix->allImagesAction()->isVisible());
}

TEST_F(Settings, CancelRestoresTheControlsAndSavesNothing) {
    storeSetting("Images\\RIS", "UseFixWidth", "1");
    storeSetting("Images\\RIS", "FixWidth", "180");
    CreateKadrix(0);
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;
    dialog.ckAutoSave->setChecked(true);
    dialog.edtFixWidth->setText("99");
    dialog.cbFixedWidth->setChecked(false);
    dialog.sBtnCancel->click();
    EXPECT_FALSE(dialog.ckAutoSave->isChecked());
    EXPECT_EQ(dialog.edtFixWidth->text(), "180");
    EXPECT_TRUE(dialog.cbFixedWidth->isChecked());
    EXPECT_EQ(storedSetting("Images\\RIS", "AutoSave"), "");
    EXPECT_EQ(storedSetting("Images\\RIS", "FixWidth"), "180");
}

TEST_F(Settings, OkSavesEveryKeyWithItsConversions) {
    CreateKadrix(0);
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;
    dialog.ckAutoSave->setChecked(true);
    dialog.sChkDefaultSave->setChecked(false);
    dialog.edtRefrshTimer->setText("x");
    dialog.edtFixWidth->setText("");
    dialog.edtShowScale->setText("0.5");
    dialog.clbMovieFileType->item(3)->setCheckState(Qt::Checked);
    dialog.sBtnOK->click();
    struct Case {
        const char* key;
        const char* stored;
    } cases[] = {{"AutoSave", "1"},  {"DefaultSave", "1"}, {"TimerAutoResfresh", "1"}, {"FixWidth", "150"},
                 {"ShowScale", "0.5"}, {"MovFileType", ".Avi|.mpg|"}, {"CDWriter", "-1"}, {"UseFixWidth", "0"}};
    for (const Case& c : cases) EXPECT_EQ(storedSetting("Images\\RIS", c.key), c.stored) << c.key;
    EXPECT_EQ(frmKadrix->MovFileType, ".Avi|.mpg|");
}

TEST_F(Settings, TempFolderChoiceTellsTheGrabber) {
    std::vector<uint32_t> told;
    platform::MessageWindow grabber(nullptr, [&](const platform::Message& m) -> std::optional<KxLResult> {
        told.push_back(m.id);
        return 0;
    });
    CreateKadrix(grabber.handle());
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;

    platform::sendMessage(GetKadrixHandle(), clinical::message::FolderChoice, 1);  // synchronising
    dialog.tempPathClicked();
    EXPECT_EQ(told, std::vector<uint32_t>{clinical::message::BeforeTempFolderChoice});
    EXPECT_EQ(prompts->texts().back(), "同步影像阶段，不能选择目录！");

    told.clear();
    platform::sendMessage(GetKadrixHandle(), clinical::message::FolderChoice, 0);
    prompts->pushPath((root_ / "elsewhere").string());
    dialog.tempPathClicked();
    EXPECT_EQ(told, (std::vector<uint32_t>{clinical::message::BeforeTempFolderChoice,
                                           clinical::message::CaptureTargetChanged}));
    EXPECT_EQ(dialog.sEdtTempPath->text().toStdString(), (root_ / "elsewhere").string());

    told.clear();
    prompts->pushPath((root_ / "elsewhere").string());  // the same folder again: no change
    dialog.tempPathClicked();
    EXPECT_EQ(told, std::vector<uint32_t>{clinical::message::BeforeTempFolderChoice});
}

TEST_F(Settings, TheExportFolderIsRefusedWhileSynchronising) {
    CreateKadrix(0);
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;
    const QString before = dialog.tDownPath->text();
    platform::sendMessage(GetKadrixHandle(), clinical::message::FolderChoice, 1);
    dialog.exportPathClicked();
    EXPECT_EQ(prompts->asked().back().kind, platform::ModalQuestion::Kind::Information) << "no folder chooser";
    EXPECT_EQ(prompts->texts().back(), "同步影像阶段，不能选择目录！");
    EXPECT_EQ(dialog.tDownPath->text(), before);
    platform::sendMessage(GetKadrixHandle(), clinical::message::FolderChoice, 0);
    prompts->pushPath((root_ / "export").string());
    dialog.exportPathClicked();
    EXPECT_EQ(dialog.tDownPath->text().toStdString(), (root_ / "export").string());
}

TEST_F(Settings, EscapeCancelsLikeTheCancelButton) {
    storeSetting("Images\\RIS", "UseFixWidth", "0");
    CreateKadrix(0);
    clinical::TfrmManagerSetting& dialog = *frmKadrix->SettingsWindow;
    dialog.show();
    dialog.ckAutoSave->setChecked(true);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.ckAutoSave->isChecked());
    EXPECT_EQ(storedSetting("Images\\RIS", "AutoSave"), "");
}
