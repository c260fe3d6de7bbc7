#include "kadrix/platform/framework_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "kadrix/platform/file_services.h"
#include "kadrix/platform/library.h"

using namespace kadrix::platform;

// This test program is a module with a version record of its own.
KX_MODULE_VERSION_RECORD(3, 1, 4, 15, 2, 7, 1, 8);

namespace {

const VersionRecord kOwnRecord{{{3, 1, 4, 15}}, {{2, 7, 1, 8}}};

std::vector<RegistrationId> idsOf(const std::vector<ExtensionModule>& modules) {
    std::vector<RegistrationId> ids;
    for (const ExtensionModule& m : modules) ids.push_back(m.id);
    return ids;
}

bool isRegistered(RegistrationId id) {
    const auto ids = idsOf(extensionModules());
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

TEST(FrameworkRegistry, KeepsRegistrationsInOrderUntilEachIsRemoved) {
    const auto before = extensionModules().size();
    auto first = registerExtensionModule({0, "Kadrix.dll", "/opt/a/libone.so", kOwnRecord});
    auto second = registerExtensionModule({0, "Kadrix.dll", "/opt/b/libtwo.so", {}});
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_NE(*first, *second);

    auto modules = extensionModules();
    ASSERT_EQ(modules.size(), before + 2);
    EXPECT_EQ(modules[before].id, *first);
    EXPECT_EQ(modules[before].file, "/opt/a/libone.so");
    EXPECT_EQ(modules[before].version, kOwnRecord);
    EXPECT_EQ(modules[before + 1].name, "Kadrix.dll");

    EXPECT_TRUE(unregisterExtensionModule(*first));
    EXPECT_FALSE(unregisterExtensionModule(*first)) << "a removed registration stays removed";
    EXPECT_FALSE(isRegistered(*first));
    EXPECT_TRUE(isRegistered(*second));
    EXPECT_TRUE(unregisterExtensionModule(*second));
    EXPECT_EQ(extensionModules().size(), before);

    // Ids are never handed out again, so a stale id cannot remove a newer registration.
    auto third = registerExtensionModule({0, "Other", "/x", {}});
    ASSERT_TRUE(third.ok());
    EXPECT_GT(*third, *second);
    EXPECT_FALSE(unregisterExtensionModule(0));
    EXPECT_TRUE(unregisterExtensionModule(*third));
}

TEST(FrameworkRegistry, RefusesAModuleWithoutName) {
    const auto before = extensionModules().size();
    EXPECT_FALSE(registerExtensionModule({0, "", "/x", {}}).ok());
    EXPECT_EQ(extensionModules().size(), before);
}

TEST(FrameworkRegistry, RegistrationObjectTakesFileAndVersionFromItsModule) {
    RegistrationId id = 0;
    {
        static const int inThisProgram = 0;
        ExtensionModuleRegistration registration("Kadrix.dll", &inThisProgram);
        ASSERT_TRUE(registration.registered());
        const auto modules = extensionModules();
        ASSERT_FALSE(modules.empty());
        const ExtensionModule& mine = modules.back();
        id = mine.id;
        EXPECT_EQ(mine.name, "Kadrix.dll");
        EXPECT_EQ(mine.file, hostProgramFolder() + "platform_registry_tests");
        EXPECT_EQ(mine.version, kOwnRecord);
    }
    EXPECT_FALSE(isRegistered(id));
}

TEST(ModuleVersionRecord, IsReadFromTheLoadedModuleAndFromItsFile) {
    static const int inThisProgram = 0;
    auto loaded = moduleVersionRecord(&inThisProgram);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    EXPECT_EQ(*loaded, kOwnRecord);
    EXPECT_EQ(loaded->file.text(), "3.1.4.15");
    EXPECT_EQ(loaded->product.text(), "2.7.1.8");

    auto fromFile = readVersionRecord(moduleFileName(nullptr));
    ASSERT_TRUE(fromFile.ok()) << fromFile.message();
    EXPECT_EQ(*fromFile, kOwnRecord);
}

TEST(ModuleVersionRecord, MissingRecordsAndOtherFilesAreFailures) {
    // The runtime itself carries no record.
    EXPECT_FALSE(moduleVersionRecord(reinterpret_cast<const void*>(&kx_load_library)).ok());
    EXPECT_FALSE(moduleVersionRecord(nullptr).ok());
    EXPECT_FALSE(
        readVersionRecord(moduleFileName(reinterpret_cast<const void*>(&kx_load_library))).ok());

    // One folder per process: other build trees may run this test at the same time.
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kx_version_record_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string text = (folder / "plain.txt").string();
    std::ofstream(text) << "not a module";
    const std::string truncated = (folder / "truncated.so").string();
    {
        std::ifstream in(moduleFileName(nullptr), std::ios::binary);
        std::string head(100, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(truncated, std::ios::binary) << head;
    }
    for (const std::string& path : {text, truncated, (folder / "missing.so").string()})
        EXPECT_FALSE(readVersionRecord(path).ok()) << path;
    std::filesystem::remove_all(folder);
}
