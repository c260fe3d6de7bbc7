// The patient data that image headers carry, read for the examination shown.
#pragma once

#include <cstdint>
#include <string>

namespace kadrix::clinical {

class DataService;

struct PatientData {
    std::string techNo, hospNo, patName, ageUnit, modality, sex;
    int32_t age = 0;
    std::string birthday;  // "yyyymmdd"
    int32_t reportId = 0;
};

// Reads the patient of the application; false when there is none.
bool readPatientData(const DataService& data, int32_t applyNo, PatientData& patient);

}  // namespace kadrix::clinical
