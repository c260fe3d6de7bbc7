// Rows the module writes to and reads from the clinic database, as typed values.
#pragma once

#include <cstdint>
#include <string>

namespace kadrix::clinical {

// The position mark of an image on its examination's sketch picture; -1 = none.
struct SketchMark {
    std::string Caption;
    int32_t PosX = -1, PosY = -1;
    int32_t PosXE = -1, PosYE = -1;
    int32_t PosColor = -1;
    bool IsShape = false;
};

// The crop, quality and overlay switches of an edited image; all 0 when it has none.
struct ProcessingRecord {
    int32_t KeepWH = 0;
    int32_t ClipFlag = 0;
    int32_t ClipTop = 0, ClipLeft = 0, ClipWidth = 0, ClipHeight = 0;
    int32_t QualityFlag = 0;
    int32_t Brightness = 0, Contrast = 0, Saturation = 0, Hue = 0;
    int32_t LineFlag = 0;
    int32_t MeasureFlag = 0;
    friend bool operator==(const ProcessingRecord&, const ProcessingRecord&) = default;
};

// An arrow drawn on an image, its head at the end point.
struct ArrowRecord {
    int32_t BeginPosX = 0, BeginPosY = 0, EndPosX = 0, EndPosY = 0;
    int32_t LineSize = 0;
    int32_t LineColor = 0;
    friend bool operator==(const ArrowRecord&, const ArrowRecord&) = default;
};

// What a measurement row is.
enum class MeasureKind : int32_t { Standard = 1, MeasuredLine = 2, TextFlag = 3 };

// A calibration line, a measured line or a text flag; the database numbers it (SERIALNO).
struct MeasurementRecord {
    int32_t SerialNo = 0;
    int32_t BeginPosX = 0, BeginPosY = 0, EndPosX = 0, EndPosY = 0;
    double MeasureValue = 0;
    int32_t iType = 0;
    std::string Memo;
    friend bool operator==(const MeasurementRecord&, const MeasurementRecord&) = default;
};

// A row of today's patient list.
struct PatientListRow {
    std::string PatName;  // column "姓名"
    int32_t ApplyNo = 0;
    std::string PatNameSpell, TechNo, HospNo;
};

}  // namespace kadrix::clinical
