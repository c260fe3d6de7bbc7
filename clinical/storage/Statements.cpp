#include "storage/Statements.h"

#include <QString>

#include <cassert>
#include <charconv>
#include <cmath>

#include "storage/DateStamps.h"

namespace kadrix::clinical::sql {

namespace {

std::string n(int32_t value) {
    return std::to_string(value);
}

// `text` with every `quote` doubled.
std::string doubled(std::string_view text, char quote) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == quote)
            out += quote;
    }
    return out;
}

// The three tables of an edited image, in the order a save empties them.
const char* const ProcessInfoTable = "RIS_ImageProcessInfo";
const char* const ArrowTable = "RIS_ImageProcessArrowInfo";
const char* const MeasureTable = "Ris_ImageMeasureInfo";

std::string deleteFrom(const char* table, int32_t imageId) {
    return std::string("Delete From ") + table + " Where ImageId = " + n(imageId);
}

}  // namespace

std::string quoted(std::string_view text) {
    return "'" + doubled(text, '\'') + "'";
}

std::string decimal(double value) {
    assert(std::isfinite(value));
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return std::string(text, result.ptr);
}

// ---- the examination and its patient

std::string patientData(int32_t applyNo) {
    return "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
           "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,"
           "Birthday,  Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a "
           ",Instrument b where "
           "a.ApplyNo=" +
           n(applyNo) + " and A.ReportID = B.InstID ";
}

std::string patientName(int32_t applyNo) {
    return "Select PatName from Ris_List Where ApplyNo=" + n(applyNo);
}

std::string instrumentOfExamination(int32_t applyNo) {
    return "SELECT B.InstCode,B.InstName,A.TechNo,A.PatName,A.Age,A.AgeUnit,A.Sex FROM RIS_List "
           "A,Instrument B "
           "where A.ApplyNo=" +
           n(applyNo) + " and A.ReportID = B.InstID";
}

std::string reportId(int32_t applyNo) {
    return "select ReportID from Ris_List where ApplyNo = " + n(applyNo);
}

std::string captionChoices(int32_t reportId) {
    return "select ItemName from RIS_SpecialItemDic  where Parent in (select ItemID from "
           "RIS_SpecialItemDic  where "
           "Parent in (select ItemID from RIS_SpecialItemDic where ItemCode = " +
           n(reportId) + ") and ItemName = '图注' )";
}

std::string patientList(double day, std::string_view sysCode, std::string_view userId) {
    const std::string date = isoDayStamp(day);
    return "Exec rsp_GetPatList '" + date + "',  '" + date + "',  0,0, " + quoted(sysCode) + ", " +
           quoted(userId) + " ,''";
}

// ---- sketch marks and print registrations

std::string sketchMarksAndPrintRegistrations(int32_t applyNo) {
    return "Select Upper(RTrim(ItemCode)) as ItemCode,Upper(Rtrim(ItemName)) as "
           "ItemName,RTrim(ItemResult) as "
           "ItemResult from ris_Result where ApplyNo=" +
           n(applyNo) +
           " and (ItemName in ('PosX','PosY','PosXE','PosYE','PosColor','Caption','isShape')  or "
           "(ItemCode='Image'))";
}

std::string sketchIdOfImage(int32_t applyNo, int32_t imageId) {
    return "select ItemResult from Ris_Result where ApplyNo = " + n(applyNo) +
           " and ItemName = 'SketchID' and ItemCode = '" + n(imageId) + "'";
}

std::string nextSketchId(int32_t applyNo) {
    return "select count(*) + 1 as nCount from Ris_Result where ApplyNo = " + n(applyNo) +
           " and ItemName = 'IsShape'";
}

std::string storeSketchMark(int32_t applyNo, int32_t imageId, const SketchMark& mark,
                            int32_t sketchId) {
    // The caption travels in double quotes; one inside it is doubled so it stays in them.
    const std::string caption =
        mark.Caption.empty() ? std::string(" ") : doubled(mark.Caption, '"');
    return "Exec rsp_SaveImgSketchMap " + n(applyNo) + "," + n(imageId) + "," + n(mark.PosX) + "," +
           n(mark.PosY) + "," + n(mark.PosXE) + "," + n(mark.PosYE) + "," + n(mark.PosColor) +
           ",\"" + caption + "\"," + n(mark.IsShape ? 1 : 0) + "," + n(sketchId);
}

std::string deleteImageRegistrations(int32_t applyNo, int32_t imageId) {
    return "Exec Rsp_DoRisOnDelImage " + n(applyNo) + ", " + n(imageId) + ", 1";
}

std::string registerForPrinting(int32_t applyNo, int32_t imageId, int32_t printNo) {
    return "Exec rsp_GrabPrintImages " + n(applyNo) + "," + n(imageId) + ",0,'" +
           printNumberText(printNo) + "'";
}

std::string registerImportedForPrinting(int32_t applyNo, int32_t imageId) {
    return "Exec rsp_GrabPrintImages " + n(applyNo) + ", " + n(imageId) + ", 1";
}

std::string removePrintRegistration(int32_t applyNo, int32_t imageId) {
    return "Delete from Ris_Result where ApplyNo=" + n(applyNo) +
           " and ItemCode = 'Image' and ItemResult = convert(varchar(80)," + n(imageId) + " ) ";
}

std::string printNumberText(int32_t printNo) {
    if (printNo < 0)
        return {};
    if (printNo >= 1000)
        return "0" + n(printNo);
    std::string text = n(printNo);
    return std::string(4 - text.size(), '0') + text;
}

// ---- processing records of edited images

std::string processingRecord(int32_t imageId) {
    return std::string("Select * From ") + ProcessInfoTable + " Where ImageId = " + n(imageId);
}

std::string arrowsOfImage(int32_t imageId) {
    return std::string("Select BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,LineColor From ") +
           ArrowTable + " Where ImageId = " + n(imageId);
}

std::string arrowRowsOfImage(int32_t imageId) {
    return std::string("Select * From ") + ArrowTable + " Where ImageId = " + n(imageId);
}

std::string measurementsOfImage(int32_t imageId) {
    return std::string(
               "Select "
               "SERIALNO,ImageId,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,"
               "Memo from ") +
           MeasureTable + " where ImageId = " + n(imageId);
}

std::string measurementRowsOfImage(int32_t imageId) {
    return std::string("Select * from ") + MeasureTable + " where ImageId = " + n(imageId);
}

std::string clearEdits(int32_t imageId) {
    return deleteFrom(ProcessInfoTable, imageId) + " " + deleteFrom(ArrowTable, imageId);
}

std::string replaceEdits(int32_t imageId, const ProcessingRecord& r) {
    std::string text =
        clearEdits(imageId) + " " + deleteFrom(MeasureTable, imageId) +
        " Insert Into RIS_ImageProcessInfo(ImageID,EditTime,KeepWH,ClipFlag,ClipTop,ClipLeft,"
        "ClipWidth,ClipHeight, "
        "QualityFlag,Brightness,Contrast,Saturation,Hue,LineFlag,MeasureFlag) "
        "Values (" +
        n(imageId) + ",getdate()";
    for (int32_t value :
         {r.KeepWH, r.ClipFlag, r.ClipTop, r.ClipLeft, r.ClipWidth, r.ClipHeight, r.QualityFlag,
          r.Brightness, r.Contrast, r.Saturation, r.Hue, r.LineFlag, r.MeasureFlag})
        text += "," + n(value);
    return text + ")";
}

std::string insertArrow(int32_t imageId, const ArrowRecord& a) {
    return "Insert Into "
           "RIS_ImageProcessArrowInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,"
           "LineSize,"
           "LineColor) values (" +
           n(imageId) + ",getdate()," + n(a.BeginPosX) + "," + n(a.BeginPosY) + "," + n(a.EndPosX) +
           "," + n(a.EndPosY) + "," + n(a.LineSize) + "," + n(a.LineColor) + ")";
}

std::string insertMeasurement(int32_t imageId, const MeasurementRecord& m) {
    return "Insert Into "
           "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,"
           "iType,Memo) values (" +
           n(imageId) + ",getdate()," + n(m.BeginPosX) + "," + n(m.BeginPosY) + "," + n(m.EndPosX) +
           "," + n(m.EndPosY) + "," + decimal(m.MeasureValue) + "," + n(m.iType) + "," +
           quoted(m.Memo) + ")";
}

// ---- filters on datasets already fetched

const char* measurementFilter(MeasureKind kind) {
    switch (kind) {
        case MeasureKind::Standard:
            return " iType=1";
        case MeasureKind::MeasuredLine:
            return " iType=2";
        case MeasureKind::TextFlag:
            return "  iType=3";
    }
    return AllRowsFilter;
}

std::string patientSearchFilter(PatientSearch column, std::string_view text) {
    const char* name = column == PatientSearch::Name     ? "PatNameSpell"
                       : column == PatientSearch::TechNo ? "TechNo"
                                                         : "HospNo";
    const std::string trimmed =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed().toStdString();
    return "Upper(" + std::string(name) + ") like Upper('" + doubled(trimmed, '\'') + "%')";
}

}  // namespace kadrix::clinical::sql
