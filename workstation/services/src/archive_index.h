// The archive's index of stored images, a table in the clinic database (SQLite).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kadrix/platform/status.h"

namespace kadrix::workstation {

struct ArchiveRow {
    int32_t imageId = 0;
    int32_t applyNo = 0;
    std::string modality, fileType, storedFile, description;  // description as JSON
};

class ArchiveIndex {
public:
    static platform::Result<std::unique_ptr<ArchiveIndex>> open(const std::filesystem::path& databaseFile);
    ~ArchiveIndex();

    // A row that queries don't see until `complete` marks it stored.
    platform::Result<int32_t> reserve(int32_t applyNo, const std::string& modality, const std::string& fileType);
    platform::Status complete(int32_t imageId, const std::string& storedFile, const std::string& description);
    platform::Status drop(int32_t imageId);
    platform::Result<std::vector<ArchiveRow>> stored(int32_t applyNo, const std::string& modality, bool leaveOutDicom);
    platform::Result<ArchiveRow> find(int32_t imageId);

private:
    struct Impl;
    explicit ArchiveIndex(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace kadrix::workstation
