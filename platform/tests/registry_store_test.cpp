#include "kadrix/platform/registry_store.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

using namespace kadrix::platform;
namespace fs = std::filesystem;

namespace {

const char* const ServerKey = "HKEY_CLASSES_ROOT\\CLSID\\{8C3A0F11-5B2E-4D7A-9E40-7F1C2B3D4E5F}\\InprocServer32";

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-registry-XXXXXX";
        folder_ = ::mkdtemp(pattern);
        file_ = folder_ / "sub/registry.json";
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_, file_;
};

}  // namespace

TEST_F(Registry, KeysAndValuesIgnoreCaseAndKeepIt) {
    RegistryStore store(file_);
    ASSERT_TRUE(store.setValue(ServerKey, "", "/opt/ferrolink/libferrolink.so").ok());
    ASSERT_TRUE(store.setValue("HKCR/CLSID/{8C3A0F11-5B2E-4D7A-9E40-7F1C2B3D4E5F}/InprocServer32", "ThreadingModel",
                               "Apartment")
                    .ok());
    EXPECT_EQ(store.value("hkey_classes_root\\clsid\\{8c3a0f11-5b2e-4d7a-9e40-7f1c2b3d4e5f}\\inprocserver32"),
              "/opt/ferrolink/libferrolink.so");
    EXPECT_EQ(store.value(ServerKey, "threadingmodel"), "Apartment");
    EXPECT_EQ(store.subKeys("HKEY_CLASSES_ROOT\\CLSID"),
              std::vector<std::string>{"{8C3A0F11-5B2E-4D7A-9E40-7F1C2B3D4E5F}"});
    EXPECT_EQ(store.value(ServerKey, "Missing"), std::nullopt);
    EXPECT_FALSE(store.setValue("HKEY_NOWHERE\\x", "", "y").ok());

    ASSERT_TRUE(store.deleteKey("HKEY_CLASSES_ROOT\\CLSID").ok());
    EXPECT_FALSE(store.keyExists(ServerKey));
    EXPECT_FALSE(store.deleteKey("HKEY_CLASSES_ROOT").ok());
}

TEST_F(Registry, ValuesPersistAcrossProcesses) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RegistryStore writer(file_);
        const bool ok = writer.setValue("HKEY_CURRENT_USER\\Software\\Kadrix", "Name", "影像").ok();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    RegistryStore reader(file_);
    EXPECT_EQ(reader.value("HKEY_CURRENT_USER\\Software\\Kadrix", "Name"), "影像");

    // A store that read the file sees a later change made by another process.
    RegistryStore other(file_);
    ASSERT_TRUE(other.setValue("HKEY_CURRENT_USER\\Software\\Kadrix", "Name", "changed").ok());
    EXPECT_EQ(reader.value("HKEY_CURRENT_USER\\Software\\Kadrix", "Name"), "changed");
}

TEST_F(Registry, AWriterThatCrashedLeavesTheLastGoodState) {
    {
        RegistryStore store(file_);
        ASSERT_TRUE(store.setValue(ServerKey, "", "/good/path.so").ok());
    }
    // What a writer killed mid-write leaves behind: a partial temporary file and its lock file.
    std::ofstream(file_.string() + ".tmp-99999") << "{\"format\":\"kadrix-registry\",\"roots\":{\"HKEY_CL";
    RegistryStore after(file_);
    EXPECT_EQ(after.value(ServerKey), "/good/path.so");
    ASSERT_TRUE(after.setValue(ServerKey, "", "/new/path.so").ok());
    EXPECT_EQ(RegistryStore(file_).value(ServerKey), "/new/path.so");
}

TEST_F(Registry, ADamagedFileIsNeitherReadNorOverwritten) {
    fs::create_directories(file_.parent_path());
    std::ofstream(file_) << "not json at all";
    RegistryStore store(file_);
    EXPECT_EQ(store.value(ServerKey), std::nullopt);
    const Status refused = store.setValue(ServerKey, "", "/x.so");
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("damaged"), std::string::npos);
    std::ifstream in(file_);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "not json at all");
}

TEST_F(Registry, TheProcessStoreFollowsTheEnvironment) {
    ::setenv("KADRIX_REGISTRY", file_.c_str(), 1);
    EXPECT_EQ(RegistryStore::instance().file(), file_);
    ::unsetenv("KADRIX_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    EXPECT_EQ(RegistryStore::defaultFile(), folder_ / "kadrix/registry.json");
    ::unsetenv("XDG_CONFIG_HOME");
}
