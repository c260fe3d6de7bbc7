// The texts of the statements the module sends to the clinic database, built from typed values.
// Numbers are formatted here, never taken from text; every text spliced in is quoted so that it
// cannot end its quotes early.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/ClinicRecords.h"

namespace kadrix::clinical::sql {

// ---- the examination and its patient

// Patient data for image headers (read by TechNo, HospNo, AgeUnit, PatName, Sex, Modality, Age,
// Birthday, ReportID).
std::string patientData(int32_t applyNo);
// The patient name of another examination.
std::string patientName(int32_t applyNo);
// The instrument of the examination, whose InstCode names the sketch template.
std::string instrumentOfExamination(int32_t applyNo);
std::string reportId(int32_t applyNo);
// The caption choices of the sketch panel: the legend ("图注") entries below the report's node.
std::string captionChoices(int32_t reportId);
// The patients a system registered on `day` for the user or for nobody.
std::string patientList(double day, std::string_view sysCode, std::string_view userId);

// ---- sketch marks and print registrations

// The examination's mark items and print registrations, codes and names upper-cased.
std::string sketchMarksAndPrintRegistrations(int32_t applyNo);
std::string sketchIdOfImage(int32_t applyNo, int32_t imageId);
std::string nextSketchId(int32_t applyNo);
// An empty caption is sent as one blank.
std::string storeSketchMark(int32_t applyNo, int32_t imageId, const SketchMark& mark,
                            int32_t sketchId);
// Removes a deleted image's print registration and its mark.
std::string deleteImageRegistrations(int32_t applyNo, int32_t imageId);
std::string registerForPrinting(int32_t applyNo, int32_t imageId, int32_t printNo);
// The database numbers an imported image after the examination's highest print number.
std::string registerImportedForPrinting(int32_t applyNo, int32_t imageId);
std::string removePrintRegistration(int32_t applyNo, int32_t imageId);
// 0005, 0042, 0123 for 0 to 999; "0" and the number from 1000; empty for a negative number.
std::string printNumberText(int32_t printNo);

// ---- processing records of edited images

std::string processingRecord(int32_t imageId);
std::string arrowsOfImage(int32_t imageId);
std::string arrowRowsOfImage(int32_t imageId);  // every column
std::string measurementsOfImage(int32_t imageId);
std::string measurementRowsOfImage(int32_t imageId);  // every column
// Drops the processing record and the arrows; the measurements stay (a new image was made).
std::string clearEdits(int32_t imageId);
// Drops every record of the image and writes its processing record: the first command of a save.
std::string replaceEdits(int32_t imageId, const ProcessingRecord& record);
std::string insertArrow(int32_t imageId, const ArrowRecord& arrow);
// MeasureValue goes with a point as decimal separator whatever the locale.
std::string insertMeasurement(int32_t imageId, const MeasurementRecord& measurement);

// ---- pieces

// 'text' with every single quote doubled.
std::string quoted(std::string_view text);
// Up to 15 significant digits, general form, a point as decimal separator.
std::string decimal(double value);

// ---- filters on datasets already fetched

// The measurement rows of one kind, and every row.
const char* measurementFilter(MeasureKind kind);
inline constexpr const char* AllRowsFilter = " 1=1";

enum class PatientSearch { Name, TechNo, HospNo };
// The patient list rows whose phonetic name, imaging number or inpatient number starts with the
// trimmed text, without regard to case.
std::string patientSearchFilter(PatientSearch column, std::string_view text);

}  // namespace kadrix::clinical::sql
