#include "WorkstationWindow.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <QBuffer>

#include <filesystem>

#include "kadrix/platform/date_time.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/host_string.h"

namespace kadrix::workstation {

namespace {
// Messages of the plug-in's protocol the workstation takes part in.
constexpr uint32_t StillImageSelected = 1095;
constexpr uint32_t BeforeTempFolderChoice = 1096;
constexpr uint32_t CaptureTargetChanged = 1102;
constexpr uint32_t FolderChoice = 1097;
constexpr uint32_t OpenExamination = 1100;
constexpr uint32_t CaptureFinished = 1101;
constexpr uint32_t ReportLock = 1108;
constexpr uint32_t DiscardUnsaved = 1428;

QByteArray generatedPicture(int number, const QString& caption) {
    QImage picture(640, 480, QImage::Format_RGB888);
    QPainter p(&picture);
    QRadialGradient glow(320, 240, 300);
    glow.setColorAt(0, QColor(220, 120, 100));
    glow.setColorAt(1, QColor(60, 20, 20));
    p.fillRect(picture.rect(), glow);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 10, 620, 40), Qt::AlignLeft, caption);
    p.drawText(QRect(10, 430, 620, 40), Qt::AlignLeft,
               QString("#%1  %2").arg(number).arg(QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss")));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "JPG", 90)) bytes.clear();
    return bytes;
}
}  // namespace

class WorkstationWindow::Frame : public HostFrame {
public:
    explicit Frame(WorkstationWindow& window) : window_(window) {}
    void dockWindow(KxHwnd w, const std::string&, int, int position) override { window_.dock(w, position); }
    void setUserParam(const std::string& name, const std::string& value) override {
        window_.statusBar()->showMessage(QString::fromStdString(name + " = " + value), 3000);
    }

private:
    WorkstationWindow& window_;
};

WorkstationWindow::WorkstationWindow(WorkstationSite& site, ClinicalModule& module) : site_(site), module_(module) {
    setWindowTitle("Kadrix 工作站");
    resize(1100, 720);

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    worklist_ = new QListWidget(central);
    worklist_->setMaximumWidth(260);
    columns->addWidget(worklist_);
    auto* middle = new QVBoxLayout;
    auto* desk = new QLabel("采集台", central);
    desk->setAlignment(Qt::AlignCenter);
    desk->setMinimumHeight(200);
    desk->setStyleSheet("background: #202830; color: #c0d0e0;");
    middle->addWidget(desk, 1);
    bottomDock_ = new QWidget(central);
    bottomDock_->setLayout(new QVBoxLayout);
    bottomDock_->layout()->setContentsMargins(0, 0, 0, 0);
    middle->addWidget(bottomDock_);
    columns->addLayout(middle, 1);
    sideDock_ = new QWidget(central);
    sideDock_->setLayout(new QVBoxLayout);
    sideDock_->layout()->setContentsMargins(0, 0, 0, 0);
    sideDock_->setMinimumWidth(320);
    columns->addWidget(sideDock_);
    setCentralWidget(central);

    QToolBar* tools = addToolBar("工作站");
    tools->addAction("采集", this, [this] { capture(); });
    QAction* lock = tools->addAction("锁定报告");
    lock->setCheckable(true);
    connect(lock, &QAction::toggled, this, [this](bool on) { setReportLocked(on); });
    tools->addAction("放弃未保存图像", this, [this] { discardUnsaved(); });

    queueLabel_ = new QLabel(this);
    grabberLabel_ = new QLabel(this);
    statusBar()->addWidget(grabberLabel_, 1);
    statusBar()->addPermanentWidget(new QLabel("队列:", this));
    statusBar()->addPermanentWidget(queueLabel_);

    // The video grabber: the plug-in tells it about selections and the capture target.
    grabber_ = std::make_unique<platform::MessageWindow>(nullptr, [this](const platform::Message& m)
                                                                     -> std::optional<KxLResult> {
        switch (m.id) {
            case StillImageSelected: logGrabber("1095 still image selected"); break;
            case BeforeTempFolderChoice:
                logGrabber("1096 temp folder choice");
                platform::sendMessage(module_.GetKadrixHandle(), FolderChoice, 0);
                break;
            case CaptureTargetChanged: logGrabber("1102 capture target"); break;
            default: return std::nullopt;
        }
        return 0;
    });
    // The queue window shows the capture target's text the plug-in sends.
    queue_ = std::make_unique<platform::MessageWindow>(queueLabel_, [this](const platform::Message& m)
                                                                       -> std::optional<KxLResult> {
        if (m.id != CaptureTargetChanged) return std::nullopt;
        auto text = platform::HostString::borrow(reinterpret_cast<KxHostString>(m.lParam)).toUtf8();
        queueLabel_->setText(QString::fromStdString(text ? *text : std::string("?")));
        return 0;
    });
    if (auto picker = platform::SharedLibrary::load("ris_QueuePicker.dll")) {
        queuePicker_ = std::move(picker).value();
        if (auto publish = queuePicker_.function<void(intptr_t)>("SetQueueHandle"))
            (*publish)(static_cast<intptr_t>(queue_->handle()));
    }

    frame_ = std::make_shared<Frame>(*this);
    site_.setFrame(frame_);
    fillWorklist();
    connect(worklist_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (started_ && row >= 0) selectPatient(row);
    });
}

WorkstationWindow::~WorkstationWindow() {
    stopModule();
    site_.setFrame(nullptr);
    if (auto publish = queuePicker_.function<void(intptr_t)>("SetQueueHandle")) (*publish)(0);
}

void WorkstationWindow::fillWorklist() {
    const double today = platform::currentDateTime();
    auto patients = site_.database()->registrations(site_.config().sysCode, today, today);
    if (!patients) return;
    for (const PatientRegistration& p : *patients) {
        applyNos_.push_back(p.applyNo);
        worklist_->addItem(QString::fromStdString(p.patName + "  " + p.techNo + "  " + p.modality + "  " +
                                                  std::to_string(p.age) + p.ageUnit));
    }
}

void WorkstationWindow::startModule() {
    if (started_) return;
    module_.CreateKadrix(grabber_->handle());
    started_ = true;
}

void WorkstationWindow::stopModule() {
    if (!started_) return;
    started_ = false;
    module_.FreeKadrix();
}

int WorkstationWindow::patientCount() const { return static_cast<int>(applyNos_.size()); }

void WorkstationWindow::selectPatient(int row) {
    if (row < 0 || row >= patientCount()) return;
    if (worklist_->currentRow() != row) {
        const QSignalBlocker quiet(worklist_);
        worklist_->setCurrentRow(row);
    }
    platform::sendMessage(module_.GetKadrixHandle(), OpenExamination, static_cast<KxWParam>(applyNos_[static_cast<size_t>(row)]));
}

std::string WorkstationWindow::capture() {
    const std::string file = module_.nextCaptureFile(".jpg");
    if (file.empty()) return {};
    const QString caption = worklist_->currentItem() ? worklist_->currentItem()->text() : QString("Kadrix");
    const QByteArray picture = generatedPicture(++captures_, caption);
    if (picture.isEmpty()) {
        logGrabber("cannot make the picture for " + file);
        return {};
    }
    // Written under a hidden name while locked, then renamed: the capture's own name never
    // shows half a picture, and it stays in use until the lock goes.
    const std::filesystem::path target(file);
    const std::filesystem::path partial = target.parent_path() / ("." + target.filename().string() + ".part");
    auto lock = platform::ExclusiveFileLock::acquire(partial);
    if (!lock) {
        logGrabber(lock.message());
        return {};
    }
    std::error_code ec;
    platform::Status written = lock->write(picture.constData(), static_cast<size_t>(picture.size()));
    if (written) {
        std::filesystem::rename(partial, target, ec);
        if (ec) written = platform::Status::failure("cannot write " + file + ": " + ec.message());
    }
    lock->unlock();
    if (!written) {
        std::filesystem::remove(partial, ec);
        logGrabber(written.message());
        return {};
    }
    platform::sendMessage(module_.GetKadrixHandle(), CaptureFinished);
    logGrabber("captured " + file);
    return file;
}

void WorkstationWindow::setReportLocked(bool locked) {
    platform::sendMessage(module_.GetKadrixHandle(), ReportLock, locked ? 0 : 1);
}

void WorkstationWindow::discardUnsaved() { platform::sendMessage(module_.GetKadrixHandle(), DiscardUnsaved); }

std::string WorkstationWindow::queueText() const { return queueLabel_->text().toStdString(); }

void WorkstationWindow::dock(KxHwnd window, int position) {
    QWidget* plugin = platform::widgetOfWindow(window);
    if (!plugin) return;
    QWidget* area = position == 3 ? bottomDock_ : sideDock_;
    if (plugin->parentWidget() != area) {
        plugin->setParent(area, Qt::Widget);
        area->layout()->addWidget(plugin);
    }
    area->layout()->invalidate();  // the layout, not the plug-in, decides where it sits
    plugin->show();
}

void WorkstationWindow::logGrabber(const std::string& line) {
    grabberLog_.push_back(line);
    grabberLabel_->setText(QString::fromStdString(line));
}

}  // namespace kadrix::workstation
