// A workstation site: one folder holding the configuration, the clinic database, the picture
// archive and the archive server's settings, made on first use. Opening a site registers the
// host's automation classes in-process and the archive server's class in the registry, so a
// plug-in loaded by this process finds every service it asks for.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "kadrix/platform/status.h"
#include "kadrix/workstation/clinic_database.h"
#include "kadrix/workstation/host_objects.h"
#include "kadrix/workstation/picture_archive.h"
#include "kadrix/workstation/workstation_config.h"

namespace kadrix::workstation {

struct SiteOptions {
    std::string faultDate = "20000101";  // the archive server's "FaultDate" item
    // Today's patients, instruments, captions, users and rights, and the instruments' sketch
    // templates beside the program: for demonstrations and first runs.
    bool demoContent = false;
};

class WorkstationSite {
public:
    static platform::Result<std::unique_ptr<WorkstationSite>> open(const std::filesystem::path& folder,
                                                                    const SiteOptions& options = {});
    ~WorkstationSite();
    WorkstationSite(const WorkstationSite&) = delete;
    WorkstationSite& operator=(const WorkstationSite&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    const WorkstationConfig& config() const { return config_; }
    std::shared_ptr<ClinicDatabase> database() const { return database_; }
    std::shared_ptr<PictureArchive> archive() const { return archive_; }
    // Where the archive server's settings file lives (the folder its registry entry names).
    std::filesystem::path archiveServerFolder() const { return folder_ / "ferrolink"; }

    // The frame the common service docks windows into; a recording frame until one is set.
    void setFrame(std::shared_ptr<HostFrame> frame);
    std::shared_ptr<HostFrame> frame() const { return *frame_; }

private:
    WorkstationSite() = default;
    platform::Status registerClasses();

    std::filesystem::path folder_;
    WorkstationConfig config_;
    std::shared_ptr<ClinicDatabase> database_;
    std::shared_ptr<PictureArchive> archive_;
    // Shared with the service objects, which may outlive the site.
    std::shared_ptr<std::shared_ptr<HostFrame>> frame_ = std::make_shared<std::shared_ptr<HostFrame>>();
    bool registered_ = false;
};

}  // namespace kadrix::workstation
