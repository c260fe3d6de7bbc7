#include "storage/Statements.h"

namespace kadrix::clinical::sql {

std::string patientData(int32_t applyNo) {
    return "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, TechNo,Birthday,HospNo,PatName,Age,AgeUnit,"
           "Birthday,  Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a ,Instrument b where "
           "a.ApplyNo=" +
           std::to_string(applyNo) + " and A.ReportID = B.InstID ";
}

std::string patientName(int32_t applyNo) { return "Select PatName from Ris_List Where ApplyNo=" + std::to_string(applyNo); }

}  // namespace kadrix::clinical::sql
