// The picture archive: stores image files with their 39-slot descriptions, keyed by a new
// image id, and hands them back as local copies. `makeArchiveServer` wraps an archive as the
// automation server the plug-in creates by class identifier.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kadrix/platform/automation.h"
#include "kadrix/platform/status.h"

namespace kadrix::workstation {

// The archive server's class and interface identifiers.
inline constexpr const char* ArchiveClassId = "{6F1D2C3B-8A4E-4B5F-9C7D-0E1F2A3B4C5D}";
inline constexpr const char* ArchiveInterfaceId = "{6F1D2C3B-8A4E-4B5F-9C7D-0E1F2A3B4C5E}";

// Slots of an image description the archive reads or writes.
namespace slot {
inline constexpr int ApplyNo = 9;
inline constexpr int Modality = 16;
inline constexpr int ImageUid = 24;
inline constexpr int File = 26;
inline constexpr int FileType = 31;
inline constexpr int ImageId = 34;
inline constexpr int MinimumCount = 38;
}  // namespace slot

struct ArchiveSettings {
    std::filesystem::path databaseFile;   // the index lives in the clinic database
    std::filesystem::path archiveFolder;  // stored files, named by image id
    std::filesystem::path cacheFolder;    // local copies handed out by queries
};

// Status codes of the archive, as its server reports them.
namespace archive_status {
inline constexpr int Ok = 0;
inline constexpr int BadArguments = 1;
inline constexpr int NoSuchFile = 2;
inline constexpr int StorageFailed = 3;
inline constexpr int NoSuchImage = 4;
}  // namespace archive_status

struct ArchiveOutcome {
    int status = archive_status::Ok;
    std::string message;
    bool ok() const { return status == archive_status::Ok; }
};

class PictureArchive {
public:
    virtual ~PictureArchive() = default;
    // Takes over the file named in the description's file slot: the archive keeps a copy under
    // the new id, then the original goes. Writes the new id into the id slot. On failure nothing
    // is stored and the file stays.
    virtual ArchiveOutcome store(platform::VariantArray& description) = 0;
    virtual ArchiveOutcome remove(int32_t imageId) = 0;
    // The stored images of an examination in the order they were stored, each with its file
    // slot naming a local copy. An empty modality takes every modality.
    virtual platform::Result<std::vector<platform::VariantArray>> query(int32_t applyNo, const std::string& modality,
                                                                        bool leaveOutDicom) = 0;
    virtual platform::Result<platform::VariantArray> find(int32_t imageId) = 0;
};

platform::Result<std::shared_ptr<PictureArchive>> openPictureArchive(const ArchiveSettings& settings);

platform::ObjectRef makeArchiveServer(std::shared_ptr<PictureArchive> archive);

// The server's settings file "FerroLink.xml" in `folder`: a "Common" section with the
// "FaultDate" item, and a "Storage" section with the archive's places.
platform::Status writeArchiveSettingsFile(const std::filesystem::path& folder, const std::string& faultDate,
                                          const ArchiveSettings& settings);
platform::Result<ArchiveSettings> readArchiveSettingsFile(const std::filesystem::path& folder);

}  // namespace kadrix::workstation
