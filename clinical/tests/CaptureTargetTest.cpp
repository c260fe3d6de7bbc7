#include <QLabel>

#include <fstream>

#include "ClinicalFixture.h"
#include "host/HostMessages.h"
#include "kadrix/platform/library.h"
#include "kadrix/platform/message_window.h"
#include "workstation_demo.h"

using namespace kadrix;
using namespace kadrix::testing;
using clinical::frmKadrix;

namespace {

// The host's queue window, published through the queue picker library.
class QueueWindow {
public:
    QueueWindow()
        : window_(nullptr, [this](const platform::Message& m) -> std::optional<KxLResult> {
              if (m.id != clinical::message::CaptureTargetChanged) return std::nullopt;
              texts.push_back(*platform::HostString::borrow(reinterpret_cast<KxHostString>(m.lParam)).toUtf8());
              return 0;
          }) {
        library_ = std::move(platform::SharedLibrary::load("ris_QueuePicker.dll")).value();
        publish(static_cast<intptr_t>(window_.handle()));
    }
    ~QueueWindow() { publish(0); }
    std::vector<std::string> texts;

private:
    void publish(intptr_t handle) { (*library_.function<void(intptr_t)>("SetQueueHandle"))(handle); }
    platform::MessageWindow window_;
    platform::SharedLibrary library_;
};

class CaptureTarget : public ClinicalTest {
protected:
    void SetUp() override {
        ClinicalTest::SetUp();
        storeSetting("Images\\RIS", "UseFixWidth", "0");
        storeSetting("Images\\RIS", "TempPath", (root_ / "pool").string());
        registerDemoPatient(*site->database(), 1201);
        CreateKadrix(grabber_.handle());
        platform::sendMessage(GetKadrixHandle(), clinical::message::OpenExamination, 1201);
    }
    void captureFor(const std::string& applyNo) {
        const auto text = host(applyNo);
        platform::sendMessage(GetKadrixHandle(), clinical::message::CaptureForExamination, 0,
                              reinterpret_cast<KxLParam>(text.handle()));
    }
    std::string label() const { return frmKadrix->captureTargetLabel()->text().toStdString(); }

    std::vector<uint32_t> grabberTold;
    platform::MessageWindow grabber_{nullptr, [this](const platform::Message& m) -> std::optional<KxLResult> {
                                         grabberTold.push_back(m.id);
                                         return 0;
                                     }};
};

}  // namespace

TEST_F(CaptureTarget, AnotherExaminationGetsItsOwnFolder) {
    QueueWindow queue;
    workstation::PatientRegistration other;
    other.applyNo = 77;
    other.reportId = 3;
    other.patName = "A/B:C";
    other.sysCode = "RIS";
    other.registered = platform::currentDateTime();
    ASSERT_TRUE(site->database()->registerPatient(other).ok());

    captureFor("77");
    EXPECT_EQ(frmKadrix->CaptureFolder, "A_B_C~77");
    EXPECT_TRUE(fs::is_directory(root_ / "pool" / "A_B_C~77"));
    EXPECT_EQ(label(), "采集到:A_B_C");
    EXPECT_EQ(tempPath(), (root_ / "pool" / "A_B_C~77").string());
    EXPECT_EQ(queue.texts, std::vector<std::string>{"77"});
    EXPECT_EQ(grabberTold.back(), clinical::message::CaptureTargetChanged);

    captureFor("1201");  // the window's own examination
    EXPECT_EQ(frmKadrix->CaptureFolder, "");
    EXPECT_EQ(label(), "采集到:当前报告");
    EXPECT_EQ(queue.texts.back(), "1201");
}

TEST_F(CaptureTarget, TextsThatAreNoApplicationNumberAreIgnored) {
    for (const char* text : {"0", "", "77 or 1=1", "abc", "7.5"}) {
        const size_t told = grabberTold.size();
        captureFor(text);
        EXPECT_EQ(frmKadrix->CaptureFolder, "") << text;
        EXPECT_EQ(grabberTold.size(), told) << text;
    }
}

TEST_F(CaptureTarget, EveryCaptureTellsTheQueueTheTarget) {
    QueueWindow queue;
    platform::sendMessage(GetKadrixHandle(), clinical::message::CaptureFinished);
    EXPECT_EQ(queue.texts, std::vector<std::string>{"1201"});
}

TEST_F(CaptureTarget, StillImagesSelectedAreAnnouncedToTheGrabber) {
    grabberTold.clear();
    frmKadrix->mainList.OnSelect("/pool/1.jpg");
    frmKadrix->mainList.OnSelect("/pool/2.avi");  // a movie by the default setting
    EXPECT_EQ(grabberTold, std::vector<uint32_t>{clinical::message::StillImageSelected});
    EXPECT_EQ(frmKadrix->SelectedImagePath, "/pool/2.avi");
}

TEST_F(CaptureTarget, AnUnreadableDicomFileIsReported) {
    const fs::path broken = root_ / "pool" / "broken.dcm";
    fs::create_directories(broken.parent_path());
    std::ofstream(broken) << "not a DICOM file";
    frmKadrix->mainList.OnSelect(broken.string());
    KxWideString result = nullptr;
    GetSelectFullPath(&result, host("1").handle());
    kx_wstr_free(result);
    EXPECT_EQ(prompts->texts().back(), "装载文件失败！");
    EXPECT_FALSE(fs::exists(fs::path(site->config().curDir) / "Temp" / "Temp1.bmp"));
}
