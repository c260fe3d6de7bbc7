#include "storage/PatientData.h"

#include "storage/Texts.h"

#include <QString>

#include "config/HostServices.h"
#include "kadrix/platform/date_time.h"
#include "storage/Statements.h"

namespace kadrix::clinical {

bool readPatientData(const DataService& data, int32_t applyNo, PatientData& patient) {
    platform::ClientDataset rows;
    data.openSql(sql::patientData(applyNo), rows);
    data.closeSql();
    if (!rows.active() || rows.isEmpty()) return false;
    patient.techNo = trimmed(rows.field("TechNo").asString());
    patient.hospNo = trimmed(rows.field("HospNo").asString());
    patient.patName = trimmed(rows.field("PatName").asString());
    patient.ageUnit = trimmed(rows.field("AgeUnit").asString());
    patient.modality = trimmed(rows.field("Modality").asString());
    patient.age = rows.field("Age").asInteger();
    patient.birthday = platform::formatYmd(rows.field("Birthday").asDateTime());
    patient.sex = trimmed(rows.field("Sex").asString());
    patient.reportId = rows.field("ReportID").asInteger();
    return true;
}

}  // namespace kadrix::clinical
