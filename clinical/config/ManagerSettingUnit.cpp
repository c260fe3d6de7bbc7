#include "config/ManagerSettingUnit.h"

#include "storage/Texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include "kadrix/platform/modal_seam.h"

namespace kadrix::clinical {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& text) { return text.toStdString(); }

QLineEdit* pathEdit(QWidget* parent, QToolButton*& button) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    button = new QToolButton(parent);
    button->setText("...");
    return edit;
}

}  // namespace

TfrmManagerSetting::TfrmManagerSetting(SettingsDialogHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName("SettingsWindow");
    setWindowTitle(" 图像管理高级设置");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(540, 457);

    auto* layout = new QVBoxLayout(this);

    rgSketchOpertion = new QGroupBox("外部导入示意图", this);
    auto* sketchRow = new QHBoxLayout(rgSketchOpertion);
    sketchChoices = new QButtonGroup(this);
    for (const char* caption : {"默认打开", "外部程序"}) {
        auto* choice = new QRadioButton(caption, rgSketchOpertion);
        sketchChoices->addButton(choice, sketchChoices->buttons().size());
        sketchRow->addWidget(choice);
    }
    edtSketchFileName = pathEdit(rgSketchOpertion, edtSketchFileNameButton);
    sketchRow->addWidget(edtSketchFileName, 1);
    sketchRow->addWidget(edtSketchFileNameButton);
    layout->addWidget(rgSketchOpertion);

    auto* paths = new QGridLayout;
    QToolButton* tempButton = nullptr;
    QToolButton* downButton = nullptr;
    sEdtTempPath = pathEdit(this, tempButton);
    tDownPath = pathEdit(this, downButton);
    paths->addWidget(new QLabel("暂存路径", this), 0, 0);
    paths->addWidget(sEdtTempPath, 0, 1);
    paths->addWidget(tempButton, 0, 2);
    paths->addWidget(new QLabel("导出路径", this), 1, 0);
    paths->addWidget(tDownPath, 1, 1);
    paths->addWidget(downButton, 1, 2);
    layout->addLayout(paths);

    auto* options = new QGridLayout;
    const auto box = [&](const char* caption, int row, int column) {
        auto* check = new QCheckBox(caption, this);
        options->addWidget(check, row, column);
        return check;
    };
    ckAutoSave = box("自动保存图象", 0, 0);
    sChkDefaultPrint = box("默认选中打印", 0, 1);
    sChkDefaultSave = box("默认选中保存", 0, 2);
    sckbAutoRefresh = box("自动刷新", 1, 0);
    edtRefrshTimer = new QLineEdit(this);
    edtRefrshTimer->setMaxLength(2);
    edtRefrshTimer->setValidator(new QIntValidator(0, 99, edtRefrshTimer));
    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(edtRefrshTimer);
    periodRow->addWidget(new QLabel("秒(最小3秒)", this));
    options->addLayout(periodRow, 1, 1);
    edtShowScale = new QLineEdit(this);
    edtShowScale->setValidator(new QDoubleValidator(edtShowScale));
    edtShowScale->setToolTip("图像列表中的比例尺（高度/宽度）");
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(new QLabel("显示比例", this));
    scaleRow->addWidget(edtShowScale);
    options->addLayout(scaleRow, 1, 2);
    cbFixedWidth = box("固定尺寸", 2, 0);
    edtFixWidth = new QLineEdit(this);
    edtFixWidth->setMaxLength(3);
    edtFixWidth->setValidator(new QIntValidator(0, 999, edtFixWidth));
    options->addWidget(edtFixWidth, 2, 1);
    sChkIsShape = box("示意图使用方块标识位置", 3, 0);
    ckShowScketchMap = box("显示示意图", 3, 1);
    ckShowImageCaption = box("显示图注", 3, 2);
    ckOnlyShowPrintImage = box("图像列表中只显示打印图像", 4, 0);
    ckStayOnBottom = box("图像列表中显示在底部", 4, 1);
    chkShowDcmFile = box("显示Dcm图像", 4, 2);
    chkDoubleBuff = box("静态刷新", 5, 0);
    chkTifToJPG = box("将TIF图像转化为JPG格式", 5, 1);
    chkUseImgCache = box("启用图像采集缓存功能", 5, 2);
    layout->addLayout(options);

    auto* lower = new QHBoxLayout;
    auto* movies = new QGroupBox("动态文件关联", this);
    auto* moviesLayout = new QVBoxLayout(movies);
    clbMovieFileType = new QListWidget(movies);
    for (const std::string& type : movieTypeChoices()) {
        auto* item = new QListWidgetItem(q(type), clbMovieFileType);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    moviesLayout->addWidget(clbMovieFileType);
    lower->addWidget(movies);
    auto* disc = new QGroupBox("刻录光盘格式", this);
    auto* discLayout = new QGridLayout(disc);
    discLayout->addWidget(new QLabel("刻录光驱", disc), 0, 0);
    cboDiscPath = new QComboBox(disc);
    discLayout->addWidget(cboDiscPath, 0, 1);
    radDVD = new QRadioButton("DVD", disc);
    radCD = new QRadioButton("CD", disc);
    radCD->setChecked(true);
    discLayout->addWidget(radDVD, 1, 0);
    discLayout->addWidget(radCD, 1, 1);
    lblWarning = new QLabel("不可用，缺少DiscBurn.dll或者nero6.6", disc);
    lblWarning->hide();
    discLayout->addWidget(lblWarning, 2, 0, 1, 2);
    lower->addWidget(disc);
    layout->addLayout(lower);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    sBtnOK = new QPushButton("确定", this);
    sBtnCancel = new QPushButton("取消", this);
    buttons->addWidget(sBtnOK);
    buttons->addWidget(sBtnCancel);
    layout->addLayout(buttons);

    connect(sketchChoices, &QButtonGroup::idClicked, this, [this] { sketchChoiceClicked(); });
    connect(edtSketchFileNameButton, &QToolButton::clicked, this, [this] { programPathClicked(); });
    connect(sckbAutoRefresh, &QCheckBox::clicked, this, [this] { autoRefreshClicked(); });
    connect(edtRefrshTimer, &QLineEdit::editingFinished, this, [this] { refreshPeriodLeft(); });
    connect(tempButton, &QToolButton::clicked, this, [this] { tempPathClicked(); });
    connect(downButton, &QToolButton::clicked, this, [this] { exportPathClicked(); });
    connect(cboDiscPath, &QComboBox::currentIndexChanged, this, [this] { host_.driveChanged(!driveText().empty()); });
    connect(sBtnOK, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(sBtnCancel, &QPushButton::clicked, this, [this] { cancelClicked(); });
}

ModuleSettings TfrmManagerSetting::values() const {
    ModuleSettings v;
    v.defaultOpenSckMode = sketchChoices->checkedId() < 0 ? 0 : sketchChoices->checkedId();
    v.openSckProgame = s(edtSketchFileName->text());
    v.isShape = sChkIsShape->isChecked();
    v.showScketchMap = ckShowScketchMap->isChecked();
    v.showImageCaption = ckShowImageCaption->isChecked();
    v.showDcm = chkShowDcmFile->isChecked();
    v.tempPath = s(sEdtTempPath->text());
    v.defaultDownImagePath = s(tDownPath->text());
    v.tifToJpg = chkTifToJPG->isChecked();
    v.autoSave = ckAutoSave->isChecked();
    v.defaultSave = sChkDefaultSave->isChecked();
    v.defaultPrint = sChkDefaultPrint->isChecked();
    v.autoResfresh = sckbAutoRefresh->isChecked();
    v.doubleBuff = chkDoubleBuff->isChecked();
    v.timerAutoResfresh = s(edtRefrshTimer->text());
    v.showScale = s(edtShowScale->text());
    v.fixWidth = s(edtFixWidth->text());
    v.useFixWidth = cbFixedWidth->isChecked();
    v.useImgCache = chkUseImgCache->isChecked();
    v.cdWriter = cboDiscPath->currentIndex();
    v.onlyShowPrintImage = ckOnlyShowPrintImage->isChecked();
    v.stayOnBottom = ckStayOnBottom->isChecked();
    std::vector<bool> ticked;
    for (int i = 0; i < clbMovieFileType->count(); ++i)
        ticked.push_back(clbMovieFileType->item(i)->checkState() == Qt::Checked);
    v.movFileType = movieTypesText(ticked);
    return v;
}

void TfrmManagerSetting::setValues(const ModuleSettings& v) {
    if (auto* choice = sketchChoices->button(v.defaultOpenSckMode)) choice->setChecked(true);
    edtSketchFileName->setText(q(v.openSckProgame));
    sChkIsShape->setChecked(v.isShape);
    ckShowScketchMap->setChecked(v.showScketchMap);
    ckShowImageCaption->setChecked(v.showImageCaption);
    chkShowDcmFile->setChecked(v.showDcm);
    sEdtTempPath->setText(q(v.tempPath));
    tDownPath->setText(q(v.defaultDownImagePath));
    chkTifToJPG->setChecked(v.tifToJpg);
    ckAutoSave->setChecked(v.autoSave);
    sChkDefaultSave->setChecked(v.defaultSave);
    sChkDefaultPrint->setChecked(v.defaultPrint);
    sckbAutoRefresh->setChecked(v.autoResfresh);
    chkDoubleBuff->setChecked(v.doubleBuff);
    edtRefrshTimer->setText(q(v.timerAutoResfresh));
    edtRefrshTimer->setEnabled(v.autoResfresh);
    edtShowScale->setText(q(v.showScale));
    edtFixWidth->setText(q(v.fixWidth));
    cbFixedWidth->setChecked(v.useFixWidth);
    chkUseImgCache->setChecked(v.useImgCache);
    if (v.cdWriter >= 0 && v.cdWriter < cboDiscPath->count()) {
        const QSignalBlocker quiet(cboDiscPath);  // a load runs the drive handling itself
        cboDiscPath->setCurrentIndex(v.cdWriter);
    }
    ckOnlyShowPrintImage->setChecked(v.onlyShowPrintImage);
    ckStayOnBottom->setChecked(v.stayOnBottom);
    const std::vector<bool> ticked = tickedMovieTypes(v.movFileType);
    for (int i = 0; i < clbMovieFileType->count(); ++i)
        clbMovieFileType->item(i)->setCheckState(ticked[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
}

void TfrmManagerSetting::setDrives(const std::vector<std::string>& drives) {
    const QSignalBlocker quiet(cboDiscPath);
    cboDiscPath->clear();
    for (const std::string& d : drives) cboDiscPath->addItem(q(d));
}

void TfrmManagerSetting::setBurnerAvailable(bool available) {
    cboDiscPath->setVisible(available);
    radDVD->setVisible(available);
    radCD->setVisible(available);
    lblWarning->setVisible(!available);
}

int TfrmManagerSetting::driveCount() const { return cboDiscPath->count(); }

void TfrmManagerSetting::selectDrive(int index) {
    const QSignalBlocker quiet(cboDiscPath);
    cboDiscPath->setCurrentIndex(index);
}

std::string TfrmManagerSetting::driveText() const { return s(cboDiscPath->currentText()); }

void TfrmManagerSetting::showEvent(QShowEvent* event) {
    sketchChoiceClicked();
    QDialog::showEvent(event);
}

void TfrmManagerSetting::sketchChoiceClicked() {
    const int choice = sketchChoices->checkedId();
    if (choice < 0) return;
    sChkIsShape->setEnabled(choice == 0);
    edtSketchFileName->setEnabled(choice == 1);
    edtSketchFileNameButton->setEnabled(choice == 1);
}

void TfrmManagerSetting::programPathClicked() {
    platform::ModalQuestion question;
    question.kind = platform::ModalQuestion::Kind::OpenFile;
    question.text = "打开示意图的程序";
    question.filter = "打开示意图的程序 (*)";
    question.initial = s(edtSketchFileName->text());
    const platform::ModalAnswer answer = platform::askModal(question);
    if (answer.accepted && !answer.text.empty()) edtSketchFileName->setText(q(answer.text));
}

void TfrmManagerSetting::autoRefreshClicked() { edtRefrshTimer->setEnabled(sckbAutoRefresh->isChecked()); }

void TfrmManagerSetting::refreshPeriodLeft() {
    edtRefrshTimer->setText(q(raisedRefreshPeriod(s(edtRefrshTimer->text()))));
}

void TfrmManagerSetting::tempPathClicked() {
    host_.beforeTempFolderChoice();
    if (!host_.folderChoiceAllowed()) {
        host_.prompt("同步影像阶段，不能选择目录！");
        return;
    }
    platform::ModalQuestion question;
    question.kind = platform::ModalQuestion::Kind::ChooseFolder;
    question.text = "请选择图像临时存储路径";
    question.initial = s(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    const platform::ModalAnswer answer = platform::askModal(question);
    if (!answer.accepted || answer.text.empty()) return;
    if (trimmed(answer.text) == trimmed(s(sEdtTempPath->text()))) return;
    sEdtTempPath->setText(q(answer.text));
    host_.tempFolderChanged();
}

void TfrmManagerSetting::exportPathClicked() {
    if (!host_.folderChoiceAllowed()) {
        host_.prompt("同步影像阶段，不能选择目录！");
        return;
    }
    platform::ModalQuestion question;
    question.kind = platform::ModalQuestion::Kind::ChooseFolder;
    question.text = "请选择图像导出存储路径";
    question.initial = s(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    const platform::ModalAnswer answer = platform::askModal(question);
    if (answer.accepted && !answer.text.empty() && trimmed(answer.text) != trimmed(s(tDownPath->text())))
        tDownPath->setText(q(answer.text));
}

void TfrmManagerSetting::okClicked() {
    cancelled_ = false;
    accept();
}

void TfrmManagerSetting::cancelClicked() {
    host_.loadSettings();
    cancelled_ = true;
    reject();
}

void TfrmManagerSetting::keyPressEvent(QKeyEvent* event) {
    // Escape is the cancel button; the frame's close stays a close that saves.
    if (event->key() == Qt::Key_Escape) {
        cancelClicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmManagerSetting::done(int result) {
    // Only the cancel button sets the flag: closing by the frame saves, as OK does.
    const bool save = !cancelled_;
    QDialog::done(result);
    if (save) host_.settingsAccepted();
}

}  // namespace kadrix::clinical
