#include "kadrix/workstation/picture_archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "archive_index.h"
#include "kadrix/platform/file_services.h"
#include "variant_json.h"

namespace kadrix::workstation {
namespace fs = std::filesystem;
using platform::Result;
using platform::Status;
using platform::Variant;
using platform::VariantArray;

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

ArchiveOutcome failed(int status, std::string message) { return {status, std::move(message)}; }

class FolderArchive : public PictureArchive {
public:
    FolderArchive(ArchiveSettings settings, std::unique_ptr<ArchiveIndex> index)
        : settings_(std::move(settings)), index_(std::move(index)) {}

    ArchiveOutcome store(VariantArray& description) override {
        using namespace archive_status;
        if (description.dimensions() != 1 || static_cast<int>(description.size()) < slot::MinimumCount)
            return failed(BadArguments, "image description incomplete");
        const auto at = [&](int s) -> Variant& { return description.at(description.bound(1).low + s); };
        const fs::path file = at(slot::File).toText();
        std::error_code ec;
        if (file.empty() || !fs::is_regular_file(file, ec)) return failed(NoSuchFile, "no such file: " + file.string());
        const auto applyNo = at(slot::ApplyNo).tryInt();
        if (!applyNo) return failed(BadArguments, "application number is not a number: " + at(slot::ApplyNo).toText());
        std::string fileType = at(slot::FileType).toText();
        if (fileType.empty()) fileType = file.extension().string().substr(file.has_extension() ? 1 : 0);

        auto id = index_->reserve(*applyNo, at(slot::Modality).toText(), fileType);
        if (!id) return failed(StorageFailed, id.message());
        const std::string name = std::to_string(*id) + (file.has_extension() ? lower(file.extension().string()) : "");
        // The copy is on disk under its name before the index says the image is stored.
        if (Status placed = platform::copyFile(file, settings_.archiveFolder / name, false); !placed) {
            index_->drop(*id);
            return failed(StorageFailed, placed.message());
        }
        VariantArray kept = description;
        kept.at(kept.bound(1).low + slot::ImageId) = Variant(*id);
        kept.at(kept.bound(1).low + slot::File) = Variant((settings_.archiveFolder / name).string());
        if (Status done = index_->complete(*id, name, variantToJson(Variant(kept))); !done) {
            fs::remove(settings_.archiveFolder / name, ec);
            index_->drop(*id);
            return failed(StorageFailed, done.message());
        }
        fs::remove(file, ec);  // taken over; a file that cannot go is left, the image is stored
        at(slot::ImageId) = Variant(*id);
        return {};
    }

    ArchiveOutcome remove(int32_t imageId) override {
        auto row = index_->find(imageId);
        if (!row) return failed(archive_status::NoSuchImage, row.message());
        if (Status dropped = index_->drop(imageId); !dropped) return failed(archive_status::StorageFailed, dropped.message());
        std::error_code ec;
        fs::remove(settings_.archiveFolder / row->storedFile, ec);
        fs::remove(settings_.cacheFolder / row->storedFile, ec);
        return {};
    }

    Result<std::vector<VariantArray>> query(int32_t applyNo, const std::string& modality, bool leaveOutDicom) override {
        auto rows = index_->stored(applyNo, modality, leaveOutDicom);
        if (!rows) return rows.status();
        std::vector<VariantArray> found;
        for (const ArchiveRow& row : *rows) {
            auto description = localDescription(row);
            if (!description) return description.status();
            found.push_back(std::move(description).value());
        }
        return found;
    }

    Result<VariantArray> find(int32_t imageId) override {
        auto row = index_->find(imageId);
        if (!row) return row.status();
        return localDescription(*row);
    }

private:
    // The stored description with its file slot naming a local copy in the cache.
    Result<VariantArray> localDescription(const ArchiveRow& row) {
        auto value = variantFromJson(row.description);
        if (!value || !value->isArray()) return Status::failure("damaged description of image " + std::to_string(row.imageId));
        VariantArray description = value->array();
        const fs::path copy = settings_.cacheFolder / row.storedFile;
        std::error_code ec;
        if (!fs::exists(copy, ec))
            if (Status copied = platform::copyFile(settings_.archiveFolder / row.storedFile, copy, false);
                !copied && !fs::exists(copy, ec))
                return copied;
        description.at(description.bound(1).low + slot::File) = Variant(copy.string());
        return description;
    }

    ArchiveSettings settings_;
    std::unique_ptr<ArchiveIndex> index_;
};

}  // namespace

Result<std::shared_ptr<PictureArchive>> openPictureArchive(const ArchiveSettings& settings) {
    std::error_code ec;
    fs::create_directories(settings.archiveFolder, ec);
    fs::create_directories(settings.cacheFolder, ec);
    if (!fs::is_directory(settings.archiveFolder) || !fs::is_directory(settings.cacheFolder))
        return Status::failure("cannot create the archive folders in " + settings.archiveFolder.parent_path().string());
    auto index = ArchiveIndex::open(settings.databaseFile);
    if (!index) return index.status();
    return std::shared_ptr<PictureArchive>(std::make_shared<FolderArchive>(settings, std::move(index).value()));
}

}  // namespace kadrix::workstation
