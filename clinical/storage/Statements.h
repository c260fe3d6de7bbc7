// The texts of the statements the module sends to the clinic database, built from typed values.
// Numbers are formatted here, never taken from text.
#pragma once

#include <cstdint>
#include <string>

namespace kadrix::clinical::sql {

// Patient data for image headers (read by TechNo, HospNo, AgeUnit, PatName, Sex, Modality, Age,
// Birthday, ReportID).
std::string patientData(int32_t applyNo);
// The patient name of another examination.
std::string patientName(int32_t applyNo);

}  // namespace kadrix::clinical::sql
