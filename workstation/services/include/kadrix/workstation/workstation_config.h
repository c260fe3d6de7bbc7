// The workstation's own configuration: who is working where, the host's switches, and where
// its database, archive and caches live. Read from an INI file:
//
//   [Host]       SysCode=RIS  UserID=1001  CurDir=/srv/ris/  DisplayStyle=0
//   [Storage]    Database=clinic.db  Archive=archive  Cache=cache   (relative to the file)
//   [Switches]   图像查看/报告权限控制图像权限=0                   (section/key=0|1, for ReadBool)
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "kadrix/platform/status.h"

namespace kadrix::workstation {

struct WorkstationConfig {
    std::string sysCode = "RIS";
    std::string userId = "1001";
    std::string curDir;  // ends with "/"
    int displayStyle = 0;
    std::filesystem::path databaseFile;
    std::filesystem::path archiveFolder;
    std::filesystem::path cacheFolder;
    // ReadBool switches by "section/key".
    std::map<std::string, bool> switches;

    bool readBool(const std::string& section, const std::string& key, bool fallback) const;
};

// Missing keys keep the defaults above; storage paths default to beside the file.
platform::Result<WorkstationConfig> loadWorkstationConfig(const std::filesystem::path& file);
platform::Status saveWorkstationConfig(const WorkstationConfig& config, const std::filesystem::path& file);

}  // namespace kadrix::workstation
