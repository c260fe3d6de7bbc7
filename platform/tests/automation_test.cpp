#include "kadrix/platform/automation.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/registry_store.h"

using namespace kadrix::platform;

namespace {

class DataCtrl : public DispatchObject {
public:
    DataCtrl() : DispatchObject("Zudi.DataCtrl") {
        method("OpenSql", 1, [this](Arguments& a) {
            lastSql = a.text(0);
            return Variant(1);
        });
        method("GetStringFieldValue", 3, [](Arguments& a) {
            a.setOut(2, Variant("张三 of " + a.text(0)));
            return Variant();
        });
        method("Confirm", 1, [](Arguments& a) { return Variant(a.size() == 2 ? a.integer(1) : 0); }, 2);
        method("Fails", 0, [](Arguments&) -> Variant { throw std::runtime_error("table RIS_List is missing"); });
        property(
            "IniInfo", 2, [this](Arguments& a) { return Variant(ini[a.text(0) + "/" + a.text(1)]); },
            [this](Arguments& a, const Variant& v) { ini[a.text(0) + "/" + a.text(1)] = v.toText(); });
        property("SysCode", 0, [](Arguments&) { return Variant("RIS"); });
    }
    std::string lastSql;
    std::map<std::string, std::string> ini;
};

std::string failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.what();
    }
    return "no failure";
}

}  // namespace

TEST(Automation, NamesResolveWithoutRegardToCase) {
    auto data = std::make_shared<DataCtrl>();
    for (const char* name : {"OpenSql", "OpenSQL", "OPenSQL", "opensql"}) {
        EXPECT_EQ(data->call(name, {Variant(std::string("select ") + name)}).toInt(), 1) << name;
        EXPECT_EQ(data->lastSql, std::string("select ") + name);
    }
    EXPECT_EQ(data->get("syscode").toText(), "RIS");
    EXPECT_EQ(data->call("SYSCODE").toText(), "RIS") << "a read without arguments answers as a method too";
}

TEST(Automation, IndexedPropertiesAndOutArguments) {
    auto data = std::make_shared<DataCtrl>();
    data->put("IniInfo", {Variant("Images\\RIS"), Variant("FixWidth"), Variant("150")});
    EXPECT_EQ(data->get("iniinfo", {Variant("Images\\RIS"), Variant("FixWidth")}).toText(), "150");

    Variant result;
    data->call("GetStringFieldValue", {Variant("PatName"), Variant("Select ..."), Variant::ref(result)});
    EXPECT_EQ(result.toText(), "张三 of PatName");
    EXPECT_NE(failureOf([&] { data->call("GetStringFieldValue", {Variant("a"), Variant("b"), Variant("c")}); })
                  .find("by reference"),
              std::string::npos);
}

TEST(Automation, FailuresNameTheObjectAndTheOperation) {
    auto data = std::make_shared<DataCtrl>();
    struct Case {
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {[&] { data->call("NoSuchThing"); }, "Zudi.DataCtrl.NoSuchThing: no such operation"},
        {[&] { data->call("OpenSql"); }, "Zudi.DataCtrl.OpenSql: wrong number of arguments: expects 1, got 0"},
        {[&] { data->call("Confirm", {Variant(1), Variant(2), Variant(3)}); },
         "Zudi.DataCtrl.Confirm: wrong number of arguments: expects 1 to 2, got 3"},
        {[&] { data->call("fails"); }, "Zudi.DataCtrl.Fails: table RIS_List is missing"},
        {[&] { data->put("SysCode", {Variant("x")}); }, "Zudi.DataCtrl.SysCode: is read-only"},
        {[&] { data->put("OpenSql", {Variant("x")}); }, "Zudi.DataCtrl.OpenSql: is a method, not a property"},
    };
    for (const Case& c : cases) EXPECT_EQ(failureOf(c.call), c.message);
    EXPECT_EQ(data->call("Confirm", {Variant("sure?"), Variant(1)}).toInt(), 1);
}

TEST(Automation, ObjectsAreReferenceCounted) {
    std::weak_ptr<AutomationObject> watch;
    {
        ObjectRef held = std::make_shared<DataCtrl>();
        watch = held;
        Variant inVariant(held);
        Variant copy = inVariant;
        held.reset();
        EXPECT_FALSE(watch.expired());
        EXPECT_EQ(copy.object()->className(), "Zudi.DataCtrl");
    }
    EXPECT_TRUE(watch.expired());
}

class ClassRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-classes-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        ::setenv("KADRIX_REGISTRY", (folder_ / "registry.json").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KADRIX_REGISTRY");
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path folder_;
};

TEST_F(ClassRegistry, HostRegisteredClassesByProgIdOrClassId) {
    registerClass("Zudi.DataCtrl", [] { return std::make_shared<DataCtrl>(); });
    registerClass("{0d5b5e7a-3c1f-4e8b-9a61-2b7c4f00a0ff}", [] { return std::make_shared<DataCtrl>(); });
    auto byProgId = createObject("zudi.datactrl");
    ASSERT_TRUE(byProgId.ok()) << byProgId.message();
    EXPECT_EQ((*byProgId)->className(), "Zudi.DataCtrl");
    EXPECT_TRUE(createObject("{0D5B5E7A-3C1F-4E8B-9A61-2B7C4F00A0FF}").ok());
    unregisterClass("Zudi.DataCtrl");
    unregisterClass("{0D5B5E7A-3C1F-4E8B-9A61-2B7C4F00A0FF}");
    auto gone = createObject("Zudi.DataCtrl");
    ASSERT_FALSE(gone.ok());
    EXPECT_NE(gone.message().find("Zudi.DataCtrl"), std::string::npos);
}

TEST_F(ClassRegistry, ProviderLibraryFoundThroughTheRegistry) {
    const std::string classId = "{0D5B5E7A-3C1F-4E8B-9A61-2B7C4F00A001}";
    RegistryStore& registry = RegistryStore::instance();
    const std::string server = "HKEY_CLASSES_ROOT\\CLSID\\" + classId + "\\InprocServer32";
    ASSERT_TRUE(registry.setValue("HKEY_CLASSES_ROOT\\Kadrix.TestEcho\\CLSID", "", classId).ok());
    ASSERT_TRUE(registry.setValue(server, "", hostProgramFolder() + "KxTestProvider.dll").ok());
    ASSERT_TRUE(registry.setValue(server, "Factory", "KxTestFactory").ok());

    auto echo = createObject("Kadrix.TestEcho");
    ASSERT_TRUE(echo.ok()) << echo.message();
    EXPECT_EQ((*echo)->call("ECHO", {Variant("hi")}).toText(), "echo: hi");

    ASSERT_TRUE(registry.setValue(server, "Factory", "NoSuchFactory").ok());
    auto noEntry = createObject(classId);
    ASSERT_FALSE(noEntry.ok());
    EXPECT_NE(noEntry.message().find("NoSuchFactory"), std::string::npos);

    ASSERT_TRUE(registry.setValue(server, "", "/nowhere/KxTestProvider.dll").ok());
    EXPECT_FALSE(createObject(classId).ok());
    EXPECT_FALSE(createObject("{0D5B5E7A-3C1F-4E8B-9A61-2B7C4F00A002}").ok());
}
