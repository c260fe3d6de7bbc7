#include "storage/QueryRows.h"

#include "storage/Texts.h"

#include <QString>

#include <charconv>

#include "config/HostServices.h"
#include "storage/Statements.h"

namespace kadrix::clinical {

using platform::ClientDataset;
using platform::Variant;

namespace {

bool hasRow(const ClientDataset& rows) {
    return rows.active() && !rows.isEmpty();
}

// Runs `read` on every row from the first.
template <typename Read>
void eachRow(ClientDataset& rows, Read read) {
    if (!hasRow(rows))
        return;
    for (rows.first(); !rows.eof(); rows.next()) read();
}

// The ItemResult of the image's item, when the marks dataset has it.
std::optional<std::string> markItem(ClientDataset& marks, const std::string& imageId,
                                    const char* item) {
    if (!marks.locate({{"ItemCode", Variant(imageId)}, {"ItemName", Variant(item)}}))
        return std::nullopt;
    return marks.field("ItemResult").asString();
}

int32_t markNumber(ClientDataset& marks, const std::string& imageId, const char* item) {
    const auto text = markItem(marks, imageId, item);
    return text ? integerIn(*text).value_or(-1) : -1;
}

bool markFlag(ClientDataset& marks, const std::string& imageId, const char* item) {
    const auto text = markItem(marks, imageId, item);
    if (!text)
        return true;
    if (const auto number = integerIn(*text))
        return *number != 0;
    const QString word = QString::fromStdString(*text).trimmed();
    return word.compare("false", Qt::CaseInsensitive) != 0;
}

int32_t integerField(const ClientDataset& rows, std::string_view column) {
    return rows.field(column).asInteger();
}

}  // namespace

std::optional<int32_t> integerIn(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string readInstrumentCode(const ClientDataset& rows) {
    return hasRow(rows) ? trimmed(rows.field("InstCode").asString()) : std::string();
}

std::optional<int32_t> readReportId(const ClientDataset& rows) {
    if (!hasRow(rows))
        return std::nullopt;
    return integerField(rows, "ReportID");
}

std::vector<std::string> readCaptionChoices(ClientDataset& rows) {
    std::vector<std::string> captions;
    eachRow(rows, [&] { captions.push_back(rows.field("ItemName").asString()); });
    return captions;
}

std::optional<int32_t> printRegistration(ClientDataset& marks, int32_t imageId) {
    if (!marks.active() || !marks.locate({{"ItemCode", Variant("IMAGE")},
                                          {"ItemResult", Variant(std::to_string(imageId))}}))
        return std::nullopt;
    // "PRINTNO: 0005": the number starts at the 10th character.
    const std::string name = marks.field("ItemName").asString();
    return name.size() > 9 ? integerIn(std::string_view(name).substr(9)).value_or(-1) : -1;
}

void readSketchMark(ClientDataset& marks, int32_t imageId, SketchMark& mark) {
    if (!marks.active()) {
        mark.PosX = mark.PosY = mark.PosXE = mark.PosYE = -1;
        mark.IsShape = false;
        return;
    }
    const std::string id = std::to_string(imageId);
    mark.Caption = markItem(marks, id, "CAPTION").value_or("");
    mark.PosX = markNumber(marks, id, "POSX");
    mark.PosY = markNumber(marks, id, "POSY");
    mark.PosYE = markNumber(marks, id, "POSYE");
    mark.PosXE = markNumber(marks, id, "POSXE");
    mark.PosColor = markNumber(marks, id, "POSCOLOR");
    mark.IsShape = markFlag(marks, id, "ISSHAPE");
}

int32_t sketchIdFor(const DataService& data, int32_t applyNo, int32_t imageId) {
    ClientDataset rows;
    data.openSql(sql::sketchIdOfImage(applyNo, imageId), rows);
    if (hasRow(rows))
        if (const auto id = integerIn(rows.field("ItemResult").asString()))
            return *id;
    data.openSql(sql::nextSketchId(applyNo), rows);
    return hasRow(rows) ? integerField(rows, "nCount") : 1;
}

ProcessingRecord readProcessingRecord(const ClientDataset& rows) {
    ProcessingRecord r;
    if (!hasRow(rows))
        return r;
    r.KeepWH = integerField(rows, "KeepWH");
    r.ClipFlag = integerField(rows, "clipFlag");
    r.ClipTop = integerField(rows, "clipTop");
    r.ClipLeft = integerField(rows, "clipLeft");
    r.ClipWidth = integerField(rows, "clipWidth");
    r.ClipHeight = integerField(rows, "clipHeight");
    r.QualityFlag = integerField(rows, "QualityFlag");
    r.Brightness = integerField(rows, "Brightness");
    r.Contrast = integerField(rows, "Contrast");
    r.Saturation = integerField(rows, "Saturation");
    r.Hue = integerField(rows, "Hue");
    r.LineFlag = integerField(rows, "LineFlag");
    r.MeasureFlag = integerField(rows, "MeasureFlag");
    return r;
}

std::vector<ArrowRecord> readArrows(ClientDataset& rows) {
    std::vector<ArrowRecord> arrows;
    eachRow(rows, [&] {
        arrows.push_back({integerField(rows, "BeginPosX"), integerField(rows, "BeginPosY"),
                          integerField(rows, "EndPosX"), integerField(rows, "EndPosY"),
                          integerField(rows, "LineSize"), integerField(rows, "LineColor")});
    });
    return arrows;
}

std::vector<MeasurementRecord> readMeasurements(ClientDataset& rows) {
    std::vector<MeasurementRecord> measurements;
    eachRow(rows, [&] {
        MeasurementRecord m;
        m.SerialNo = integerField(rows, "SERIALNO");
        m.BeginPosX = integerField(rows, "BeginPosX");
        m.BeginPosY = integerField(rows, "BeginPosY");
        m.EndPosX = integerField(rows, "EndPosX");
        m.EndPosY = integerField(rows, "EndPosY");
        m.MeasureValue = rows.field("MeasureValue").asFloat();
        m.iType = integerField(rows, "iType");
        m.Memo = rows.field("Memo").asString();
        measurements.push_back(std::move(m));
    });
    return measurements;
}

PatientListRow readPatientListRow(const ClientDataset& rows) {
    PatientListRow row;
    row.PatName = rows.field("姓名").asString();
    row.ApplyNo = integerField(rows, "ApplyNo");
    row.PatNameSpell = rows.field("PatNameSpell").asString();
    row.TechNo = rows.field("TechNo").asString();
    row.HospNo = rows.field("HospNo").asString();
    return row;
}

}  // namespace kadrix::clinical
