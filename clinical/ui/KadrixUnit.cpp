#include "ui/KadrixUnit.h"

#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QShowEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

#include "burn/DiscBurn.h"
#include "host/HostMessages.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/host_string.h"
#include "kadrix/platform/library.h"
#include "storage/Statements.h"
#include "storage/WorkingFolders.h"

namespace kadrix::clinical {
namespace fs = std::filesystem;
using platform::Message;

TfrmKadrix* frmKadrix = nullptr;

namespace {

// The user rights the window asks for, in order.
constexpr const char* ImageRightNames[] = {"DelImages", "DelAllImages", "ExpImages", "ExpAllImages", "SetImages"};

// The film picture that stands for a video until its first frame is taken.
QImage filmPicture() {
    QImage film(64, 48, QImage::Format_RGB888);
    film.fill(QColor(40, 40, 40));
    QPainter p(&film);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 230, 230));
    for (int x = 4; x < 64; x += 10) {
        p.drawRect(x, 3, 5, 5);
        p.drawRect(x, 40, 5, 5);
    }
    p.setBrush(QColor(90, 140, 200));
    p.drawRect(6, 12, 52, 24);
    return film;
}

// Written whole or not at all: several hosts may share the program folder.
void saveAtomically(const QImage& picture, const std::string& file) {
    QSaveFile out(QString::fromStdString(file));
    if (out.open(QIODevice::WriteOnly) && picture.save(&out, "BMP")) out.commit();
}

// Written whole, and only when no file of that name exists, even when another host writes it
// at the same moment: the picture goes under a temporary name and is linked into place.
void saveIfMissing(const QImage& picture, const std::string& file) {
    std::error_code ec;
    if (fs::exists(file, ec)) return;
    const std::string temp = file + ".tmp-" + std::to_string(::getpid());
    if (picture.save(QString::fromStdString(temp), "BMP")) (void)::link(temp.c_str(), file.c_str());
    fs::remove(temp, ec);
}

// A failure inside an event the host did not call for directly (a timer, a posted message, a
// click) is told to the user; it must not unwind through the event loop.
template <typename Work>
void reporting(const std::optional<CommonService>& common, Work work) {
    try {
        work();
    } catch (const std::exception& failure) {
        try {
            if (common) common->alert(failure.what());
        } catch (...) {
        }
    }
}

class CommonSettingsAccess : public SettingsAccess {
public:
    explicit CommonSettingsAccess(const CommonService& common) : common_(common) {}
    std::string read(const std::string& section, const std::string& key) override { return common_.iniInfo(section, key); }
    void write(const std::string& section, const std::string& key, const std::string& value) override {
        common_.setIniInfo(section, key, value);
    }

private:
    const CommonService& common_;
};

}  // namespace

TfrmKadrix::TfrmKadrix() : QWidget(nullptr), window_(this) {
    setObjectName("frmKadrix");
    setWindowTitle("图像");
    window_.setHandler([this](const Message& m) {
        std::optional<KxLResult> result;
        bool handled = false;
        reporting(common, [&] {
            result = handleMessage(m);
            handled = true;
        });
        return handled ? result : std::optional<KxLResult>(0);
    });
    refreshTimer_.setOnTimer([this] { reporting(common, [this] { refreshImageLists(1); }); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    TbrImg_ = new QToolBar(this);
    TbrImg_->setObjectName("TbrImg");
    sPnlStatus_ = new QLabel(this);
    sPnlStatus_->setObjectName("sPnlStatus");
    lblTmpSavePath_ = new QLabel(this);
    lblTmpSavePath_->setObjectName("lblTmpSavePath");
    pnlSketchMap_ = new QFrame(this);
    pnlSketchMap_->setObjectName("pnlSketchMap");
    ImageSketchMap_ = new QLabel(pnlSketchMap_);
    ImageSketchMap_->setObjectName("ImageSketchMap");
    Label1_ = new QLabel("图注", pnlSketchMap_);
    Label1_->setObjectName("Label1");
    CmbImageCaption_ = new QComboBox(pnlSketchMap_);
    CmbImageCaption_->setObjectName("CmbImageCaption");
    Shape1_ = new QFrame(pnlSketchMap_);
    Shape1_->setObjectName("Shape1");
    for (QWidget* w : {static_cast<QWidget*>(TbrImg_), static_cast<QWidget*>(sPnlStatus_),
                       static_cast<QWidget*>(lblTmpSavePath_), static_cast<QWidget*>(pnlSketchMap_)})
        layout->addWidget(w);
    layout->addStretch();
    // The entries of the advanced menu that this window's set-up switches; the rest of the menu
    // comes with the window's actions.
    popmAdvance_ = new QMenu(this);
    popmAdvance_->setObjectName("popmAdvance");
    NClone_ = popmAdvance_->addAction("添加文件并刻录");
    NClone_->setObjectName("NClone");
    mnuBurnSavedImages_ = popmAdvance_->addAction("将文件添加进刻录列表");
    mnuBurnSavedImages_->setObjectName("mnuBurnSavedImages");
    mnuBurnSelectImages_ = popmAdvance_->addAction("刻录所有待刻录的文件");
    mnuBurnSelectImages_->setObjectName("mnuBurnSelectImages");
    mnuAllImages_ = popmAdvance_->addAction("所有图象");
    mnuAllImages_->setObjectName("N_ShowAllImage");
    resize(420, 260);

    // Creation, in order.
    CaptureFolder.clear();
    lblTmpSavePath_->setText(QString::fromStdString(clinical::captureTargetLabel(CaptureFolder)));
    writeFilmPictures();
    TempFileList.clear();
    ImageRights.clear();
    initialiseServices();
    FolderChoiceAllowed = true;
    showingSteps();
    AllImagesMode = false;
    bindBurner();
    // Again, so that the stored drive can select an entry of the list just filled.
    initialiseServices();
}

TfrmKadrix::~TfrmKadrix() {
    try {
        std::error_code ec;
        const fs::path scratch = videoThumbnailFolder(clinical::hostProgramFolder());
        if (fs::is_directory(scratch, ec))
            for (const auto& entry : fs::directory_iterator(scratch, ec))
                if (entry.path().filename().string().rfind('.', 0) != 0) fs::remove(entry.path(), ec);
        if (burnerReady_) {
            UninitDiscBurn();
            UnbindDiscBurn();
        }
        for (const std::string& file : TempFileList) fs::remove(file, ec);
        TempFileList.clear();
        refreshTimer_.setEnabled(false);
    } catch (...) {
        // What follows runs whatever failed above.
    }
    data.reset();
    common.reset();
    baseInfo.reset();
    archive.reset();
    delete SettingsWindow;
    SettingsWindow = nullptr;
    if (frmKadrix == this) frmKadrix = nullptr;
}

void TfrmKadrix::writeFilmPictures() {
    const std::string exe = clinical::hostProgramFolder();
    const QImage film = filmPicture();
    saveIfMissing(film, videoPlaceholderFile(exe));
    saveAtomically(film, filmIconFile(exe));
}

void TfrmKadrix::initialiseServices() {
    data = DataService::create();
    common = CommonService::create();
    baseInfo = BaseInfoService::create();
    std::string why;
    archive = ArchiveServer::create(&why);
    if (!archive) common->prompt("Ferrolink错误,可能尚未安装!");
    if (!SettingsWindow) SettingsWindow = new TfrmManagerSetting(*this, this);
    RightsControlImages = moduleServices().settings().readBool("图像查看", "报告权限控制图像权限", 0);
    ReportEditable = true;

    // Placed at the bottom right of the screen while it is a window of its own (a host frame
    // may have docked it already).
    if (const QScreen* screen = isWindow() ? QGuiApplication::primaryScreen() : nullptr) {
        const QRect area = screen->geometry();
        move(area.width() - width() - 5, area.height() - height() - 60);
    }
    displayStyle_ = baseInfo->displayStyle();

    loadSettings();
    const ModuleSettings values = settings();
    mainList.videoPlaceholder = videoPlaceholderFile(clinical::hostProgramFolder());
    mainList.thumbnailWidth = integerOr(values.fixWidth, 150);
    // The scale is entered with the system's decimal separator.
    bool number = false;
    const double scale = QLocale::system().toDouble(QString::fromStdString(values.showScale).trimmed(), &number);
    mainList.scale = number ? scale : 0.75;
    mainList.useFixedWidth = values.useFixWidth;
    mainList.sortByPrintNo = true;
    applyLayout(values);
}

void TfrmKadrix::applyLayout(const ModuleSettings& v) {
    lblTmpSavePath_->setVisible(v.useImgCache);
    pnlSketchMap_->setVisible(v.showScketchMap || v.showImageCaption);
    if (!v.showImageCaption) {
        Label1_->hide();
        CmbImageCaption_->hide();
        Shape1_->hide();
        ImageSketchMap_->setGeometry(0, 0, pnlSketchMap_->width(), pnlSketchMap_->height());
    } else if (!v.showScketchMap) {
        Label1_->show();
        CmbImageCaption_->show();
        Shape1_->hide();
        ImageSketchMap_->hide();
    }
    if (v.stayOnBottom) {
        mainList.rowMode = true;
        common->dockWindow(handle(), 3);
        QFont plain = lblTmpSavePath_->font();
        plain.setBold(false);
        plain.setItalic(false);
        plain.setUnderline(false);
        lblTmpSavePath_->setFont(plain);
        lblTmpSavePath_->setText(lblTmpSavePath_->text().remove(':'));
    } else {
        mainList.rowMode = false;
        QFont underlined = lblTmpSavePath_->font();
        underlined.setUnderline(true);
        lblTmpSavePath_->setFont(underlined);
        if (!v.showScketchMap) pnlSketchMap_->setFixedHeight(CmbImageCaption_->sizeHint().height() + 10);
        common->dockWindow(handle(), 1);
    }
    Label1_->move(Label1_->x(), ImageSketchMap_->geometry().bottom() + 8);
    CmbImageCaption_->move(CmbImageCaption_->x(), ImageSketchMap_->geometry().bottom() + 8);
}

void TfrmKadrix::bindBurner() {
    if (!BindDiscBurn()) {
        driveChanged(false);
        SettingsWindow->setBurnerAvailable(false);
        return;
    }
    try {
        driveChanged(!SettingsWindow->driveText().empty());
        SettingsWindow->setBurnerAvailable(true);
        InitDiscBurn();
        std::vector<std::string> drives;
        for (const BurnDevice& device : GetBusDevices()) drives.push_back(driveEntry(device));
        SettingsWindow->setDrives(drives);
        burnerReady_ = true;
    } catch (...) {
        // A burner that half works leaves the rest of the window working.
    }
}

void TfrmKadrix::showingSteps() {
    // The frame's own title bar goes; changing the flag re-creates the window, so only once.
    if (isWindow() && !windowFlags().testFlag(Qt::FramelessWindowHint)) setWindowFlag(Qt::FramelessWindowHint, true);
    refreshImageLists(0);
    const std::string sysCode = baseInfo->sysCode();
    const std::string userId = baseInfo->userId();
    for (const char* right : ImageRightNames)
        if (common->hasRightEx(sysCode, userId, right)) ImageRights.insert(right);
    DownImagePath = settings().defaultDownImagePath;
}

void TfrmKadrix::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) reporting(common, [this] { showingSteps(); });
}

void TfrmKadrix::showKadrix() {
    show();
    platform::sendMessage(handle(), platform::msg::SysCommand, platform::syscmd::Restore);
}

void TfrmKadrix::loadSettings() {
    moduleSection_ = "Images\\" + baseInfo->sysCode();
    CommonSettingsAccess access(*common);
    SettingsStore store(access, baseInfo->sysCode());
    ModuleSettings values = SettingsWindow->values();
    SettingsLoadEffects effects;
    effects.programPath = [this](const std::string& program) { SketchProgram = program; };
    effects.refreshTimer = [this](bool enabled, int intervalMs) {
        refreshTimer_.setInterval(intervalMs);
        refreshTimer_.setEnabled(enabled);
    };
    effects.driveCount = SettingsWindow->driveCount();
    effects.selectDrive = [this](int index) { SettingsWindow->selectDrive(index); };
    effects.driveChanged = [this] { driveChanged(!SettingsWindow->driveText().empty()); };
    effects.allImagesMenu = [this](bool visible) {
        mnuAllImages_->setVisible(visible);
        if (!visible) AllImagesMode = false;
    };
    effects.movieTypes = [this](const std::string& types) { MovFileType = types; };
    const std::string failure = store.load(values, prepareDefaultFolders(), effects);
    SettingsWindow->setValues(values);
    if (!failure.empty()) common->alert(failure);
}

void TfrmKadrix::saveSettings() {
    CommonSettingsAccess access(*common);
    SettingsStore store(access, baseInfo->sysCode());
    const ModuleSettings values = SettingsWindow->values();
    store.save(values);
    MovFileType = movieTypesText(tickedMovieTypes(values.movFileType));
}

void TfrmKadrix::refreshImageLists(int mode) {
    loadSettings();
    (void)mode;  // the lists themselves come with the image pipeline
}

void TfrmKadrix::setCaptureTarget(const std::string& requested) {
    const std::string name = requested == CurrentReportName ? std::string() : requested;
    lblTmpSavePath_->setText(QString::fromStdString(clinical::captureTargetLabel(name)));
    if (name != CaptureFolder) CaptureFolder = name;
    platform::sendMessage(GrabHandle, message::CaptureTargetChanged);
    sendToQueuePicker(queuePickerText(name, ApplyNo));
}

void TfrmKadrix::sendToQueuePicker(const std::string& text) {
    auto picker = platform::SharedLibrary::load("ris_QueuePicker.dll");
    if (!picker) return;
    auto getQueueHandle = picker->function<intptr_t()>("GetQueueHandle");
    if (!getQueueHandle) return;
    const intptr_t queue = (*getQueueHandle)();
    if (queue <= 0) return;
    auto bytes = platform::HostString::fromUtf8(text);
    if (!bytes) return;
    platform::sendMessage(static_cast<KxHwnd>(queue), message::CaptureTargetChanged, 0,
                          reinterpret_cast<KxLParam>(bytes->handle()));
}

void TfrmKadrix::imageSelected(const std::string& path) {
    SelectedImagePath = path;
    if (!isMovieFile(path, MovFileType)) platform::sendMessage(GrabHandle, message::StillImageSelected);
}

void TfrmKadrix::captureForExamination(const std::string& applyNoText) {
    // Only a number can name an examination; anything else is not spliced into a query.
    const auto applyNo = platform::Variant(applyNoText).tryInt();
    if (!applyNo || applyNoText.find_first_of(".eE") != std::string::npos || *applyNo == 0) return;
    if (*applyNo == ApplyNo) {
        setCaptureTarget("");
        return;
    }
    const std::string patient = data->getStringFieldValue("PatName", sql::patientName(*applyNo));
    const std::string folder = captureFolderName(patient, *applyNo);
    const fs::path path = captureFolder(tempRoot(settings().tempPath), folder);
    std::error_code ec;
    fs::create_directories(path, ec);
    if (fs::is_directory(path, ec)) setCaptureTarget(folder);
}

std::optional<KxLResult> TfrmKadrix::handleMessage(const Message& m) {
    switch (m.id) {
        case message::FolderChoice: FolderChoiceAllowed = m.wParam == 0; return 0;
        case message::GrabberWindow: GrabHandle = static_cast<KxHwnd>(m.wParam); return 0;
        case message::OpenExamination: ApplyNo = static_cast<int32_t>(m.wParam); return 0;
        case message::CaptureFinished:
            sendToQueuePicker(queuePickerText(CaptureFolder, ApplyNo));
            return 0;
        case message::Ignored1103:
        case message::Ignored1104: return 0;
        case message::CaptureForExamination: {
            const auto text = platform::HostString::borrow(reinterpret_cast<KxHostString>(m.lParam)).toUtf8();
            if (text) captureForExamination(QString::fromStdString(*text).trimmed().toStdString());
            return 0;
        }
        case message::ReportLock: ReportEditable = !(m.wParam == 0 && RightsControlImages); return 0;
        case message::DiscardUnsaved: mainList.discardUnsaved(); return 0;
        case platform::msg::SysCommand:
            // The window stays until the host frees it: its close command is swallowed.
            if ((m.wParam & 0xFFF0) == platform::syscmd::Close) return 0;
            return std::nullopt;
        case platform::msg::NcLButtonDown:
            if (isMinimized()) {
                showKadrix();
                return 0;
            }
            return std::nullopt;
        default: return std::nullopt;
    }
}

void TfrmKadrix::beforeTempFolderChoice() { platform::sendMessage(GrabHandle, message::BeforeTempFolderChoice); }
void TfrmKadrix::tempFolderChanged() { platform::sendMessage(GrabHandle, message::CaptureTargetChanged); }
void TfrmKadrix::prompt(const std::string& text) { common->prompt(text); }

void TfrmKadrix::driveChanged(bool driveChosen) {
    for (QAction* entry : {NClone_, mnuBurnSavedImages_, mnuBurnSelectImages_}) entry->setEnabled(driveChosen);
}

void TfrmKadrix::settingsAccepted() {
    reporting(common, [this] {
        saveSettings();
        refreshImageLists(0);
        const bool cache = SettingsWindow->chkUseImgCache->isChecked();
        lblTmpSavePath_->setVisible(cache);
        if (!cache) setCaptureTarget("");
        // Right of the status text, just below it.
        lblTmpSavePath_->move(sPnlStatus_->geometry().right() + 1, sPnlStatus_->geometry().bottom() + 1);
    });
}

}  // namespace kadrix::clinical
