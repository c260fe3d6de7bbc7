// The description that hands a file to the archive server: the patient's header data, the
// examination's keys and the file. The save, the import and the sketch editing send it with
// small differences, given by StoreRequestOptions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "storage/ImageInfo_u.h"
#include "storage/PatientData.h"

namespace kadrix::clinical {

class DataService;

// The age for image headers: below 100 with leading zeros to three digits, then "Y" (岁),
// "M" (月) or "D" (天); "Y" for any other unit.
std::string ageText(int32_t age, const std::string& ageUnit);

// "A<applyNo>S1I<serial>".
std::string imageIdentifier(int32_t applyNo, int32_t serial);
// An identifier with the next value of the data service's "ImageUID" counter.
std::string newImageIdentifier(const DataService& data, int32_t applyNo);

struct StoreRequestOptions {
    bool withAge = true;
    int32_t seriesSlots = 0;    // slots 14, 22, 23
    int32_t archiveSlots = -1;  // slots 27, 28, 32 to 35; the server writes the new id into 34

    // A captured image saved for the first time.
    static StoreRequestOptions newImage() { return {}; }
    // A file from outside the module, registered as the examination's image.
    static StoreRequestOptions importedFile() { return {false, 0, 0}; }
    // A sketch image stored again after the outside program edited it.
    static StoreRequestOptions editedSketch() { return {false, -1, -1}; }
};

// Without an identifier slot 24 stays empty (the edited sketch keeps the one it has).
TImageInfo buildStoreRequest(const PatientData& patient, int32_t applyNo, const std::string& file,
                             const std::optional<std::string>& identifier,
                             const StoreRequestOptions& options = StoreRequestOptions::newImage());

}  // namespace kadrix::clinical
