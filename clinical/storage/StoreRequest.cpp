#include "storage/StoreRequest.h"

#include <filesystem>

#include "config/HostServices.h"
#include "storage/DateStamps.h"

namespace kadrix::clinical {

using platform::Variant;
using platform::VariantArray;

std::string ageText(int32_t age, const std::string& ageUnit) {
    std::string number = std::to_string(age);
    if (age >= 0 && age < 100)
        number.insert(0, 3 - number.size(), '0');
    const char* unit = ageUnit == "月" ? "M" : ageUnit == "天" ? "D" : "Y";
    return number + unit;
}

std::string imageIdentifier(int32_t applyNo, int32_t serial) {
    return "A" + std::to_string(applyNo) + "S1I" + std::to_string(serial);
}

std::string newImageIdentifier(const DataService& data, int32_t applyNo) {
    return imageIdentifier(applyNo, data.getSerialNo("ImageUID", 1));
}

TImageInfo buildStoreRequest(const PatientData& patient, int32_t applyNo, const std::string& file,
                             const std::optional<std::string>& identifier,
                             const StoreRequestOptions& options) {
    // Built slot by slot rather than from the defaults: the request leaves the server's date
    // slots empty instead of carrying the fault date.
    VariantArray request = VariantArray::oneDimension(0, image_slot::Count);
    for (int slot = 0; slot < image_slot::MinimumCount; ++slot) request.at(slot) = Variant("");
    const std::string applyNoText = std::to_string(applyNo);
    std::string extension = std::filesystem::path(file).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);

    request.at(image_slot::TechNo) = Variant(patient.techNo);
    request.at(image_slot::HospNo) = Variant(patient.hospNo);
    request.at(image_slot::PatName) = Variant(patient.patName);
    request.at(image_slot::Birthday) = Variant(normaliseDateText(patient.birthday));
    request.at(image_slot::Sex) = Variant(patient.sex);
    if (options.withAge)
        request.at(image_slot::Age) = Variant(ageText(patient.age, patient.ageUnit));
    request.at(image_slot::ApplyNo) = Variant(applyNoText);
    request.at(image_slot::StudyKey) = Variant("A" + applyNoText);
    request.at(image_slot::SeriesKey) = Variant("A" + applyNoText + "S1");
    request.at(image_slot::Modality) = Variant(patient.modality);
    if (identifier)
        request.at(image_slot::ImageUID) = Variant(*identifier);
    request.at(image_slot::File) = Variant(file);
    request.at(image_slot::FileType) = Variant(extension);
    for (int slot : {14, 22, 23}) request.at(slot) = Variant(options.seriesSlots);
    for (int slot : {27, 28, 32, 33, 34, 35}) request.at(slot) = Variant(options.archiveSlots);
    return TImageInfo(Variant(std::move(request)));
}

}  // namespace kadrix::clinical
