// The archive server's fault date, found through the server's registration.
#include <fstream>

#include "ClinicalFixture.h"
#include "config/HostServices.h"
#include "kadrix/platform/registry_store.h"
#include "storage/FaultDate.h"

using namespace kadrix;
using namespace kadrix::clinical;
namespace fs = std::filesystem;

using FaultDate = kadrix::testing::ClinicalTest;

TEST_F(FaultDate, IsReadFromTheSettingsFileBesideTheRegisteredServer) {
    const std::string file = ArchiveServer::settingsFile();
    EXPECT_EQ(file, (site->archiveServerFolder() / "FerroLink.xml").string());
    EXPECT_EQ(readFaultDate(file), "20000101") << "the workstation writes its site's fault date";
}

TEST_F(FaultDate, AnUnregisteredServerMeansTheFileInTheCurrentFolder) {
    const std::string key = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + ArchiveClassId;
    ASSERT_TRUE(platform::RegistryStore::instance().deleteKey(key).ok());
    EXPECT_EQ(ArchiveServer::settingsFile(), "FerroLink.xml");
}

TEST_F(FaultDate, FallsBackWhenTheFileOrTheItemIsMissingOrEmpty) {
    struct Case {
        const char* what;
        const char* content;  // null: no file
        const char* date;
    } cases[] = {
        {"no file", nullptr, "19000101"},
        {"not XML", "FaultDate=20240101", "19000101"},
        {"no Common section",
         "<FerroLink><settings Section=\"Storage\"><item "
         "name=\"FaultDate\">20240101</item></settings></FerroLink>",
         "19000101"},
        {"no item",
         "<FerroLink><settings Section=\"Common\"><item "
         "name=\"Other\">1</item></settings></FerroLink>",
         "19000101"},
        {"an empty item",
         "<FerroLink><settings Section=\"Common\"><item name=\"FaultDate\"> "
         "</item></settings></FerroLink>",
         "19000101"},
        {"the item after others",
         "<FerroLink><settings Section=\"Storage\"/><settings Section=\"Common\"><item "
         "name=\"Other\">1</item>"
         "<item name=\"FaultDate\">20240229</item><item "
         "name=\"FaultDate\">20250101</item></settings></FerroLink>",
         "20240229"},
    };
    for (const Case& c : cases) {
        const fs::path file = root_ / "settings" / "FerroLink.xml";
        fs::remove_all(file.parent_path());
        if (c.content) {
            fs::create_directories(file.parent_path());
            std::ofstream(file) << c.content;
        }
        EXPECT_EQ(readFaultDate(file.string()), c.date) << c.what;
    }
}
