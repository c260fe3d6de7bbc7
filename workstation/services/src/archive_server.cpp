#include <QFile>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "kadrix/workstation/picture_archive.h"

namespace kadrix::workstation {
namespace fs = std::filesystem;
using platform::DispatchObject;
using platform::Result;
using platform::Status;
using platform::Variant;
using platform::VariantArray;

namespace {

VariantArray header(int value) { return VariantArray({Variant("1.0"), Variant(value)}); }

// The archive as the automation server: every method reports through its status argument.
class ArchiveServer : public DispatchObject {
public:
    explicit ArchiveServer(std::shared_ptr<PictureArchive> archive)
        : DispatchObject("Ferrolink.Server"), archive_(std::move(archive)) {
        method("StoreImage", 3, [this](Arguments& a) {
            a.setOut(2, Variant(storeImage(a, 1)));
            return Variant();
        });
        method("DeleteImage", 3, [this](Arguments& a) {
            const auto id = a[1].tryInt();
            const int status = id ? archive_->remove(*id).status : archive_status::BadArguments;
            a.setOut(2, Variant(status));
            return Variant();
        });
        method("QueryImages", 4, [this](Arguments& a) {
            a.setOut(3, Variant(queryImages(a)));
            return Variant();
        });
    }

private:
    int storeImage(Arguments& a, size_t descriptionArg) {
        const Variant& description = a[descriptionArg];
        if (!description.isArray()) return archive_status::BadArguments;
        VariantArray copy = description.array();
        const ArchiveOutcome stored = archive_->store(copy);
        if (stored.ok()) a.setOut(descriptionArg, Variant(std::move(copy)));
        return stored.status;
    }

    int queryImages(Arguments& a) {
        const auto mode = a[0].tryInt();
        const auto key = a[1].tryInt();
        if (!mode || !key) return archive_status::BadArguments;
        if (*mode == 4) {
            // The template filters by modality and leaves out DICOM files when asked.
            std::string modality, fileType;
            if (a[2].isArray() && static_cast<int>(a[2].array().size()) >= slot::MinimumCount) {
                const VariantArray& t = a[2].array();
                modality = t.at(t.bound(1).low + slot::Modality).toText();
                fileType = t.at(t.bound(1).low + slot::FileType).toText();
            }
            auto found = archive_->query(*key, modality, fileType == "NODCM");
            if (!found) return archive_status::StorageFailed;
            VariantArray result = VariantArray::oneDimension(0, static_cast<int32_t>(found->size()) + 1);
            result.at(0) = Variant(header(3));
            for (size_t i = 0; i < found->size(); ++i) result.at(static_cast<int32_t>(i) + 1) = Variant((*found)[i]);
            a.setOut(2, Variant(std::move(result)));
            return archive_status::Ok;
        }
        if (*mode == 3) {
            auto found = archive_->find(*key);
            if (!found) return archive_status::NoSuchImage;
            VariantArray result = VariantArray::oneDimension(0, 3);
            result.at(0) = Variant(header(4));
            result.at(1) = Variant(std::move(found).value());
            a.setOut(2, Variant(std::move(result)));
            return archive_status::Ok;
        }
        return archive_status::BadArguments;
    }

    std::shared_ptr<PictureArchive> archive_;
};

}  // namespace

platform::ObjectRef makeArchiveServer(std::shared_ptr<PictureArchive> archive) {
    return std::make_shared<ArchiveServer>(std::move(archive));
}

Status writeArchiveSettingsFile(const fs::path& folder, const std::string& faultDate, const ArchiveSettings& settings) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    QSaveFile file(QString::fromStdString((folder / "FerroLink.xml").string()));
    if (!file.open(QIODevice::WriteOnly)) return Status::failure("cannot write " + (folder / "FerroLink.xml").string());
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement("FerroLink");
    const auto section = [&](const char* name, std::initializer_list<std::pair<const char*, std::string>> items) {
        xml.writeStartElement("settings");
        xml.writeAttribute("Section", name);
        for (const auto& [key, value] : items) {
            xml.writeStartElement("item");
            xml.writeAttribute("name", key);
            xml.writeCharacters(QString::fromStdString(value));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    };
    section("Common", {{"FaultDate", faultDate}});
    section("Storage", {{"Database", settings.databaseFile.string()},
                        {"Archive", settings.archiveFolder.string()},
                        {"Cache", settings.cacheFolder.string()}});
    xml.writeEndElement();
    xml.writeEndDocument();
    if (!file.commit()) return Status::failure("cannot write " + (folder / "FerroLink.xml").string());
    return {};
}

Result<ArchiveSettings> readArchiveSettingsFile(const fs::path& folder) {
    QFile file(QString::fromStdString((folder / "FerroLink.xml").string()));
    if (!file.open(QIODevice::ReadOnly)) return Status::failure("no FerroLink.xml in " + folder.string());
    QXmlStreamReader xml(&file);
    ArchiveSettings settings;
    QString section;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"settings") {
            section = xml.attributes().value("Section").toString();
        } else if (xml.name() == u"item" && section == "Storage") {
            const QString name = xml.attributes().value("name").toString();
            const std::string value = xml.readElementText().toStdString();
            if (name == "Database") settings.databaseFile = value;
            else if (name == "Archive") settings.archiveFolder = value;
            else if (name == "Cache") settings.cacheFolder = value;
        }
    }
    if (xml.hasError()) return Status::failure("damaged FerroLink.xml in " + folder.string());
    if (settings.databaseFile.empty() || settings.archiveFolder.empty() || settings.cacheFolder.empty())
        return Status::failure("FerroLink.xml in " + folder.string() + " does not name the archive's storage");
    return settings;
}

}  // namespace kadrix::workstation
