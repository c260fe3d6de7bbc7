#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/client_dataset.h"
#include "kadrix/platform/date_time.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/modal_seam.h"
#include "kadrix/workstation/demo_content.h"
#include "kadrix/workstation/workstation_site.h"

using namespace kadrix;
using namespace kadrix::workstation;
using platform::Variant;
namespace fs = std::filesystem;

namespace {

class HostObjects : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-host-XXXXXX";
        root_ = ::mkdtemp(pattern);
        ::setenv("KADRIX_REGISTRY", (root_ / "registry.json").c_str(), 1);
        prompts = std::make_shared<platform::ScriptedModalHandler>();
        previous_ = platform::setModalHandler(prompts);
        open();
    }
    void TearDown() override {
        site.reset();
        platform::setModalHandler(previous_);
        ::unsetenv("KADRIX_REGISTRY");
        fs::remove_all(root_);
    }
    void open(SiteOptions options = {}) {
        site.reset();
        auto opened = WorkstationSite::open(root_ / "site", options);
        ASSERT_TRUE(opened.ok()) << opened.message();
        site = std::move(opened).value();
        frame = std::make_shared<RecordingFrame>();
        site->setFrame(frame);
    }
    platform::ObjectRef object(const char* id) {
        auto made = platform::createObject(id);
        EXPECT_TRUE(made.ok()) << made.message();
        return made.ok() ? *made : nullptr;
    }

    fs::path root_;
    std::unique_ptr<WorkstationSite> site;
    std::shared_ptr<RecordingFrame> frame;
    std::shared_ptr<platform::ScriptedModalHandler> prompts;

private:
    std::shared_ptr<platform::ModalHandler> previous_;
};

}  // namespace

TEST_F(HostObjects, DataServiceAnswersQueriesWithPacketsAndRunsTransactions) {
    auto data = object("Zudi.DataCtrl");
    data->call("ExecSql", {Variant("Exec rsp_GrabPrintImages 77,5,0,'0005'")});
    platform::ClientDataset rows;
    for (const char* name : {"OpenSql", "OpenSQL", "OPenSQL"}) {
        const Variant packet = data->call(name, {Variant("select ItemName from Ris_Result where ApplyNo = 77")});
        ASSERT_TRUE(rows.load(packet).ok()) << name;
        EXPECT_EQ(rows.field("ItemName").asString().substr(9), "0005");
    }
    Variant name("");
    data->call("GetStringFieldValue", {Variant("ItemResult"), Variant("select ItemResult from Ris_Result where ApplyNo = 77"),
                                       Variant::ref(name)});
    EXPECT_EQ(name.toText(), "5");

    data->call("BeginTran");
    data->call("ExecSql", {Variant("Delete from Ris_Result where ApplyNo=77 and ItemCode = 'Image' and ItemResult = convert(varchar(80),5 ) ")});
    data->call("RollBackTran");
    ASSERT_TRUE(rows.load(data->call("OpenSql", {Variant("select ItemName from Ris_Result where ApplyNo = 77")})).ok());
    EXPECT_EQ(rows.recordCount(), 1) << "the rolled-back delete left the row";

    const int first = data->call("GetSerialNo", {Variant("ImageUID"), Variant(1)}).toInt();
    EXPECT_EQ(data->call("GetSerialNo", {Variant("ImageUID"), Variant(1)}).toInt(), first + 1);
    EXPECT_THROW(data->call("ExecSql", {Variant("Drop Table RIS_List")}), platform::AutomationError);
}

TEST_F(HostObjects, CommonServiceAsksThroughTheSeamAndRecordsWhatWasSaid) {
    auto common = object("Zudi.Common");
    prompts->pushCode(7);
    prompts->pushCode(1);
    EXPECT_EQ(common->call("ConfirmEx", {Variant("保存修改吗?"), Variant(0)}).toInt(), 7);
    EXPECT_EQ(common->call("Confirm", {Variant("删除吗?"), Variant(0)}).toInt(), 1);
    common->call("Prompt", {Variant("图像信息不全！")});
    EXPECT_EQ(common->call("ConfirmEx", {Variant("unscripted"), Variant(0)}).toInt(), 2) << "cancel";
    const auto asked = prompts->asked();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].text, "保存修改吗?");
    EXPECT_EQ(asked[0].answer.code, 7);
    EXPECT_EQ(asked[2].kind, platform::ModalQuestion::Kind::Information);

    common->put("UserParam", {Variant("ApplyNo"), Variant("4711")});
    EXPECT_EQ(frame->userParams["ApplyNo"], "4711");
    common->call("DockWindow", {Variant(0x10004), Variant("Public"), Variant(-1), Variant(3)});
    ASSERT_EQ(frame->docks.size(), 1u);
    EXPECT_EQ(frame->docks[0].position, 3);
}

TEST_F(HostObjects, SettingsPersistInTheDatabase) {
    object("Zudi.Common")->put("IniInfo", {Variant("Images\\RIS"), Variant("TempPath"), Variant("/pool/影像")});
    open();  // the workstation started again
    auto common = object("Zudi.Common");
    EXPECT_EQ(common->get("IniInfo", {Variant("Images\\RIS"), Variant("TempPath")}).toText(), "/pool/影像");
    EXPECT_EQ(common->get("IniInfo", {Variant("Images\\RIS"), Variant("Never")}).toText(), "");
}

TEST_F(HostObjects, RightsBaseInformationAndSwitches) {
    open({"20000101", true});
    auto common = object("Zudi.Common");
    const std::string sys = site->config().sysCode;
    const auto has = [&](std::string_view user, const char* right) {
        return common->call("HasRightEx", {Variant(sys), Variant("right_ImageList"), Variant(std::string(user)), Variant(right)})
            .toInt();
    };
    EXPECT_GT(has(site->config().userId, "SetImages"), 0);
    EXPECT_GT(has(DemoDoctorId, "ExpImages"), 0);
    EXPECT_EQ(has(DemoDoctorId, "SetImages"), 0);
    EXPECT_EQ(has(DemoGuestId, "DelImages"), 0);

    auto base = object("Zudi.BaseInfo");
    EXPECT_EQ(base->get("SysCode").toText(), "RIS");
    EXPECT_EQ(base->get("UserID").toText(), site->config().userId);
    EXPECT_EQ(base->get("CurDir").toText(), (root_ / "site" / "host").string() + "/");
    EXPECT_TRUE(fs::is_directory(base->get("CurDir").toText()));
    EXPECT_EQ(base->get("DisplayStyle").toInt(), 0);

    auto settings = object("Zudi.Settings");
    EXPECT_EQ(settings->call("ReadBool", {Variant("图像查看"), Variant("报告权限控制图像权限"), Variant(0)}).toInt(), 0);
    EXPECT_EQ(settings->call("ReadBool", {Variant("图像查看"), Variant("图像列表ShowModal显示"), Variant(1)}).toInt(), 1);
}

TEST_F(HostObjects, DemoContentRegistersTodaysPatients) {
    open({"20000101", true});
    const double today = platform::currentDateTime();
    auto patients = site->database()->registrations(site->config().sysCode, today, today);
    ASSERT_TRUE(patients.ok()) << patients.message();
    EXPECT_GE(patients->size(), 12u);
    auto instruments = site->database()->instruments();
    ASSERT_TRUE(instruments.ok());
    for (const Instrument& i : *instruments)
        EXPECT_TRUE(fs::exists(platform::hostProgramFolder() + i.instCode + ".bmp")) << i.instCode;
}

TEST_F(HostObjects, TheArchiveSettingsFileNamesTheFaultDate) {
    open({"20080101", false});
    std::ifstream in(site->archiveServerFolder() / "FerroLink.xml");
    std::string xml((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(xml.find("<settings Section=\"Common\">"), std::string::npos);
    EXPECT_NE(xml.find("<item name=\"FaultDate\">20080101</item>"), std::string::npos);
    EXPECT_TRUE(object(ArchiveClassId) != nullptr);
}
