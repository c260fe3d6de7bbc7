// Reads the result columns of the module's queries by name, with the conversions the module
// relies on. Each reader takes the dataset the matching statement of sql:: filled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/client_dataset.h"
#include "storage/ClinicRecords.h"

namespace kadrix::clinical {

class DataService;

// A whole number in `text` (blanks around allowed); nothing for any other text.
std::optional<int32_t> integerIn(std::string_view text);

// InstCode of the first row, trimmed; empty when there is none.
std::string readInstrumentCode(const platform::ClientDataset& rows);
std::optional<int32_t> readReportId(const platform::ClientDataset& rows);
// ItemName of every row, in order.
std::vector<std::string> readCaptionChoices(platform::ClientDataset& rows);

// The image's print registration in the marks dataset: nothing when it has none, else its
// print number (-1 when the registration carries no number).
std::optional<int32_t> printRegistration(platform::ClientDataset& marks, int32_t imageId);
// The image's mark items in the marks dataset. Numbers not found or not numbers become -1, a
// missing caption empty, a missing or unreadable shape flag true. A closed dataset clears the
// points and the shape flag and leaves the caption and the colour.
void readSketchMark(platform::ClientDataset& marks, int32_t imageId, SketchMark& mark);

// The sketch id an image's mark is stored under: the one it has, else the next free one.
int32_t sketchIdFor(const DataService& data, int32_t applyNo, int32_t imageId);

// An image without a processing record reads as all zeros.
ProcessingRecord readProcessingRecord(const platform::ClientDataset& rows);
std::vector<ArrowRecord> readArrows(platform::ClientDataset& rows);
std::vector<MeasurementRecord> readMeasurements(platform::ClientDataset& rows);

// The current row of today's patient list.
PatientListRow readPatientListRow(const platform::ClientDataset& rows);

}  // namespace kadrix::clinical
