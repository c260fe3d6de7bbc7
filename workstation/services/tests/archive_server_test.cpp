#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "../src/archive_index.h"
#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/registry_store.h"
#include "kadrix/workstation/picture_archive.h"

using namespace kadrix;
using namespace kadrix::workstation;
using platform::Variant;
using platform::VariantArray;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

VariantArray description(int applyNo, const std::string& modality, const fs::path& file) {
    VariantArray d = VariantArray::oneDimension(0, 39);
    for (int i = 0; i < 39; ++i) d.at(i) = Variant("");
    d.at(slot::ApplyNo) = Variant(std::to_string(applyNo));
    d.at(slot::Modality) = Variant(modality);
    d.at(slot::ImageUid) = Variant("A" + std::to_string(applyNo) + "S1I1");
    d.at(slot::File) = Variant(file.string());
    d.at(slot::FileType) = Variant(file.has_extension() ? file.extension().string().substr(1) : "");
    d.at(slot::ImageId) = Variant(-1);
    return d;
}

class Archive : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kadrix-archive-XXXXXX";
        root_ = ::mkdtemp(pattern);
        settings_ = {root_ / "clinic.db", root_ / "archive", root_ / "cache"};
        auto archive = openPictureArchive(settings_);
        ASSERT_TRUE(archive.ok()) << archive.message();
        archive_ = *archive;
        server_ = makeArchiveServer(archive_);
        fs::create_directories(root_ / "pool");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path capture(const std::string& name, const std::string& content) {
        const fs::path p = root_ / "pool" / name;
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

    // StoreImage(0, description, status) as the plug-in calls it.
    int store(Variant& desc) {
        Variant status(-99);
        server_->call("StoreImage", {Variant(0), Variant::ref(desc), Variant::ref(status)});
        return status.toInt();
    }

    Variant query(int mode, int key, Variant templ) {
        Variant status(-99);
        server_->call("QueryImages", {Variant(mode), Variant(key), Variant::ref(templ), Variant::ref(status)});
        EXPECT_EQ(status.toInt(), 0);
        return templ;
    }

    fs::path root_;
    ArchiveSettings settings_;
    std::shared_ptr<PictureArchive> archive_;
    platform::ObjectRef server_;
};

}  // namespace

TEST_F(Archive, StoreQueryDeleteRoundTrip) {
    const fs::path file = capture("1.jpg", "jpeg bytes");
    Variant desc(description(77, "ES", file));
    ASSERT_EQ(store(desc), archive_status::Ok);
    const int id = desc.array().at(slot::ImageId).toInt();
    EXPECT_GT(id, 0);
    EXPECT_FALSE(fs::exists(file)) << "the archive takes the file over";
    EXPECT_EQ(readAll(settings_.archiveFolder / (std::to_string(id) + ".jpg")), "jpeg bytes");

    Variant second(description(77, "ES", capture("2.jpg", "second")));
    ASSERT_EQ(store(second), archive_status::Ok);
    Variant other(description(78, "ES", capture("3.jpg", "other exam")));
    ASSERT_EQ(store(other), archive_status::Ok);

    const Variant result = query(4, 77, Variant(description(0, "", "")));
    const VariantArray& list = result.array();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list.at(0).array().at(0).toText(), "1.0");
    EXPECT_EQ(list.at(0).array().at(1).toInt(), 3);
    const VariantArray& first = list.at(1).array();
    EXPECT_EQ(first.at(slot::ImageId).toInt(), id) << "sorted as stored";
    EXPECT_EQ(first.at(slot::ImageUid).toText(), "A77S1I1");
    const fs::path local = first.at(slot::File).toText();
    EXPECT_EQ(local.parent_path(), settings_.cacheFolder);
    EXPECT_EQ(readAll(local), "jpeg bytes");
    EXPECT_EQ(readAll(list.at(2).array().at(slot::File).toText()), "second");

    VariantArray three = VariantArray::oneDimension(0, 3);
    three.at(0) = Variant(VariantArray({Variant("1.0"), Variant(4)}));
    const Variant single = query(3, id, Variant(three));
    EXPECT_EQ(single.array().at(1).array().at(slot::ImageId).toInt(), id);

    Variant status(-99);
    server_->call("DeleteImage", {Variant(3), Variant(id), Variant::ref(status)});
    EXPECT_EQ(status.toInt(), archive_status::Ok);
    EXPECT_EQ(query(4, 77, Variant(description(0, "", ""))).array().size(), 2u);
    EXPECT_FALSE(fs::exists(local));
    server_->call("DeleteImage", {Variant(3), Variant(id), Variant::ref(status)});
    EXPECT_EQ(status.toInt(), archive_status::NoSuchImage);
}

TEST_F(Archive, QueryTemplateFiltersByModalityAndLeavesOutDicom) {
    for (auto [name, modality] : {std::pair{"a.jpg", "CT"}, {"b.dcm", "CT"}, {"c.jpg", "MR"}, {"d.DCM", "MR"}}) {
        Variant d(description(90, modality, capture(name, name)));
        ASSERT_EQ(store(d), archive_status::Ok) << name;
    }
    struct Case {
        const char* modality;
        const char* fileType;
        size_t images;
    } cases[] = {{"", "", 4}, {"CT", "", 2}, {"", "NODCM", 2}, {"MR", "NODCM", 1}, {"US", "", 0}};
    for (const Case& c : cases) {
        VariantArray t = description(0, c.modality, "");
        t.at(slot::FileType) = Variant(c.fileType);
        EXPECT_EQ(query(4, 90, Variant(t)).array().size(), c.images + 1) << c.modality << " " << c.fileType;
    }
}

TEST_F(Archive, RefusedStoresChangeNothing) {
    const fs::path kept = capture("kept.jpg", "x");
    struct Case {
        const char* what;
        Variant desc;
        int status;
    } cases[] = {
        {"missing file", Variant(description(5, "ES", root_ / "pool/none.jpg")), archive_status::NoSuchFile},
        {"short description", Variant(VariantArray::oneDimension(0, 20)), archive_status::BadArguments},
        {"not an array", Variant("text"), archive_status::BadArguments},
        {"application number not a number", [&] {
             VariantArray d = description(5, "ES", kept);
             d.at(slot::ApplyNo) = Variant("A5");
             return Variant(d);
         }(), archive_status::BadArguments},
    };
    for (Case& c : cases) {
        const Variant before = c.desc;
        EXPECT_EQ(store(c.desc), c.status) << c.what;
        EXPECT_EQ(c.desc, before) << c.what << ": the description is left as it was";
    }
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(fs::is_empty(settings_.archiveFolder));
    EXPECT_EQ(query(4, 5, Variant(description(0, "", ""))).array().size(), 1u);
}

TEST_F(Archive, AStoreCutShortLeavesNoVisibleImage) {
    // What a store killed after taking its id leaves: an index row not yet stored and a partial copy.
    auto index = ArchiveIndex::open(settings_.databaseFile);
    ASSERT_TRUE(index.ok());
    auto id = (*index)->reserve(66, "ES", "jpg");
    ASSERT_TRUE(id.ok());
    std::ofstream(settings_.archiveFolder / (".1.jpg.partial")) << "half";
    EXPECT_EQ(query(4, 66, Variant(description(0, "", ""))).array().size(), 1u);
    Variant status(-99), templ(VariantArray::oneDimension(0, 3));
    server_->call("QueryImages", {Variant(3), Variant(*id), Variant::ref(templ), Variant::ref(status)});
    EXPECT_EQ(status.toInt(), archive_status::NoSuchImage);

    Variant d(description(66, "ES", capture("5.jpg", "whole")));
    ASSERT_EQ(store(d), archive_status::Ok);
    EXPECT_NE(d.array().at(slot::ImageId).toInt(), *id);
    EXPECT_EQ(query(4, 66, Variant(description(0, "", ""))).array().size(), 2u);
}

TEST_F(Archive, ProviderLibraryServesThroughTheRegistry) {
    const fs::path serverFolder = root_ / "ferrolink";
    ASSERT_TRUE(writeArchiveSettingsFile(serverFolder, "20080101", settings_).ok());
    fs::create_symlink(platform::hostProgramFolder() + "Ferrolink.dll", serverFolder / "Ferrolink.dll");
    ::setenv("KADRIX_REGISTRY", (root_ / "registry.json").c_str(), 1);
    const std::string key = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + ArchiveClassId + "\\InprocServer32";
    ASSERT_TRUE(platform::RegistryStore::instance().setValue(key, "", (serverFolder / "Ferrolink.dll").string()).ok());

    auto server = platform::createObject(ArchiveClassId);
    ASSERT_TRUE(server.ok()) << server.message();
    Variant d(description(12, "ES", capture("p.jpg", "via provider"))), status(-99);
    (*server)->call("StoreImage", {Variant(0), Variant::ref(d), Variant::ref(status)});
    EXPECT_EQ(status.toInt(), archive_status::Ok);
    EXPECT_EQ(archive_->query(12, "", false)->size(), 1u) << "one archive behind both servers";
    ::unsetenv("KADRIX_REGISTRY");
}
