#include "kadrix/workstation/workstation_site.h"

#include "kadrix/platform/class_registry.h"
#include "kadrix/platform/file_services.h"
#include "kadrix/platform/date_time.h"
#include "kadrix/platform/registry_store.h"
#include "kadrix/workstation/demo_content.h"
#include "kadrix/workstation/sketch_templates.h"

namespace kadrix::workstation {
namespace fs = std::filesystem;
using platform::Result;
using platform::Status;

namespace {
constexpr const char* HostClasses[] = {"Zudi.DataCtrl", "Zudi.Common", "Zudi.BaseInfo", "Zudi.Settings"};

// Forwards to whatever frame the site holds now, so objects made earlier follow a change; it
// shares the site's frame cell, not the site, since objects may outlive it.
class ForwardingFrame : public HostFrame {
public:
    explicit ForwardingFrame(std::shared_ptr<std::shared_ptr<HostFrame>> cell) : cell_(std::move(cell)) {}
    void dockWindow(KxHwnd window, const std::string& frame, int index, int position) override {
        if (auto f = *cell_) f->dockWindow(window, frame, index, position);
    }
    void setUserParam(const std::string& name, const std::string& value) override {
        if (auto f = *cell_) f->setUserParam(name, value);
    }

private:
    std::shared_ptr<std::shared_ptr<HostFrame>> cell_;
};
}  // namespace

Result<std::unique_ptr<WorkstationSite>> WorkstationSite::open(const fs::path& folder, const SiteOptions& options) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) return Status::failure("cannot create the workstation folder " + folder.string());
    std::unique_ptr<WorkstationSite> site(new WorkstationSite);
    site->folder_ = fs::absolute(folder);
    const fs::path configFile = site->folder_ / "workstation.ini";
    if (!fs::exists(configFile)) {
        WorkstationConfig fresh;
        fresh.curDir = (site->folder_ / "host").string() + "/";
        fresh.databaseFile = site->folder_ / "clinic.db";
        fresh.archiveFolder = site->folder_ / "archive";
        fresh.cacheFolder = site->folder_ / "cache";
        if (Status saved = saveWorkstationConfig(fresh, configFile); !saved) return saved;
    }
    auto config = loadWorkstationConfig(configFile);
    if (!config) return config.status();
    site->config_ = *config;
    fs::create_directories(site->config_.curDir, ec);

    auto database = openClinicDatabase(site->config_.databaseFile);
    if (!database) return database.status();
    site->database_ = std::move(database).value();

    const ArchiveSettings storage{site->config_.databaseFile, site->config_.archiveFolder, site->config_.cacheFolder};
    auto archive = openPictureArchive(storage);
    if (!archive) return archive.status();
    site->archive_ = *archive;
    if (Status written = writeArchiveSettingsFile(site->archiveServerFolder(), options.faultDate, storage); !written)
        return written;

    if (options.demoContent) {
        if (Status seeded = seedDemoContent(*site->database_, site->config_.sysCode, site->config_.userId,
                                            platform::currentDateTime());
            !seeded)
            return seeded;
        if (auto instruments = site->database_->instruments())
            writeSketchTemplates(platform::hostProgramFolder(), *instruments);
    }

    *site->frame_ = std::make_shared<RecordingFrame>();
    if (Status registered = site->registerClasses(); !registered) return registered;
    return site;
}

Status WorkstationSite::registerClasses() {
    auto frame = std::make_shared<ForwardingFrame>(frame_);
    auto db = database_;
    auto config = config_;
    platform::registerClass("Zudi.DataCtrl", [db] { return makeDataService(db); });
    platform::registerClass("Zudi.Common", [db, frame] { return makeCommonService(db, frame); });
    platform::registerClass("Zudi.BaseInfo", [config] { return makeBaseInfoService(config); });
    platform::registerClass("Zudi.Settings", [config] { return makeSettingsService(config); });
    auto archive = archive_;
    platform::registerClass(ArchiveClassId, [archive] { return makeArchiveServer(archive); });
    registered_ = true;

    // The provider library beside its settings file, for hosts that create the server through
    // the registry rather than in-process.
    std::error_code ec;
    const fs::path provider = fs::path(platform::hostProgramFolder()) / "Ferrolink.dll";
    const fs::path link = archiveServerFolder() / "Ferrolink.dll";
    if (fs::exists(provider, ec) && !fs::exists(fs::symlink_status(link, ec))) fs::create_symlink(provider, link, ec);

    // Where a plug-in looks for the archive server's settings file.
    const std::string key = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + ArchiveClassId + "\\InprocServer32";
    platform::RegistryStore& registry = platform::RegistryStore::instance();
    if (Status s = registry.setValue(key, "", (archiveServerFolder() / "Ferrolink.dll").string()); !s) return s;
    return registry.setValue(key, "Factory", "KxCreateObject");
}

void WorkstationSite::setFrame(std::shared_ptr<HostFrame> frame) { *frame_ = std::move(frame); }

WorkstationSite::~WorkstationSite() {
    if (!registered_) return;
    for (const char* id : HostClasses) platform::unregisterClass(id);
    platform::unregisterClass(ArchiveClassId);
}

}  // namespace kadrix::workstation
