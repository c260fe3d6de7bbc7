#include "procedures.h"

#include <climits>

#include <cassert>
#include <charconv>
#include <cmath>
#include <limits>

#include "kadrix/platform/date_time.h"
#include "sql_tokenizer.h"
#include "sqlite_statement.h"

namespace kadrix::workstation::procedures {

using platform::DataPacket;
using platform::Result;
using platform::Status;
using Rows = std::optional<DataPacket>;

namespace {

enum class Kind { Integer, Flag, Text, Date, PrintNumber };

struct Parameter {
    const char* name;
    Kind kind;
};

const char* const MarkItems[] = {"PosX",     "PosY",    "PosXE",   "PosYE",
                                 "PosColor", "Caption", "IsShape", "SketchID"};

std::string describe(const Procedure& p);

Result<Rows> saveSketchMap(sqlite3* db, const std::vector<ArgumentValue>& v);
Result<Rows> deleteImage(sqlite3* db, const std::vector<ArgumentValue>& v);
Result<Rows> grabPrintImages(sqlite3* db, const std::vector<ArgumentValue>& v);
Result<Rows> patientList(sqlite3* db, const std::vector<ArgumentValue>& v);
Status checkGrabPrintImages(const std::vector<ArgumentValue>& v);

}  // namespace

struct Procedure {
    std::string_view name;
    std::vector<Parameter> parameters;
    size_t required;
    Result<Rows> (*run)(sqlite3*, const std::vector<ArgumentValue>&);
    Status (*checkValues)(const std::vector<ArgumentValue>&) = nullptr;
};

namespace {

const Procedure Procedures[] = {
    {"rsp_SaveImgSketchMap",
     {{"applyNo", Kind::Integer},
      {"imageId", Kind::Integer},
      {"PosX", Kind::Integer},
      {"PosY", Kind::Integer},
      {"PosXE", Kind::Integer},
      {"PosYE", Kind::Integer},
      {"PosColor", Kind::Integer},
      {"caption", Kind::Text},
      {"IsShape", Kind::Flag},
      {"SketchID", Kind::Integer}},
     10,
     saveSketchMap},
    {"Rsp_DoRisOnDelImage",
     {{"applyNo", Kind::Integer}, {"imageId", Kind::Integer}, {"withMarks", Kind::Flag}},
     3,
     deleteImage},
    {"rsp_GrabPrintImages",
     {{"applyNo", Kind::Integer},
      {"imageId", Kind::Integer},
      {"imported", Kind::Flag},
      {"printNumber", Kind::PrintNumber}},
     3,
     grabPrintImages,
     checkGrabPrintImages},
    {"rsp_GetPatList",
     {{"from", Kind::Date},
      {"to", Kind::Date},
      {"reserved1", Kind::Integer},
      {"reserved2", Kind::Integer},
      {"sysCode", Kind::Text},
      {"userId", Kind::Text},
      {"reserved3", Kind::Text}},
     7,
     patientList},
};

std::string describe(const Procedure& p) {
    std::string out(p.name);
    for (size_t i = 0; i < p.parameters.size(); ++i) {
        out += i ? ", " : " ";
        if (i == p.required)
            out += "[";
        out += p.parameters[i].name;
    }
    if (p.required < p.parameters.size())
        out += "]";
    return out;
}

std::optional<int64_t> readInteger(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return value;
}

bool allDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

Result<ArgumentValue> readArgument(const sql::ProcedureArgument& arg, const Parameter& p) {
    using ArgKind = sql::ProcedureArgument::Kind;
    ArgumentValue value;
    const std::string which = std::string("argument ") + p.name;
    switch (p.kind) {
        case Kind::Integer:
        case Kind::Flag: {
            auto n = arg.kind == ArgKind::Number ? readInteger(arg.text) : std::nullopt;
            if (!n)
                return Status::failure(which + " must be a whole number, not '" + arg.text + "'");
            if (p.kind == Kind::Flag && *n != 0 && *n != 1)
                return Status::failure(which + " must be 0 or 1, not " + arg.text);
            value.integer = *n;
            return value;
        }
        case Kind::Text:
            if (arg.kind != ArgKind::Text)
                return Status::failure(which + " must be a quoted text");
            value.text = arg.text;
            return value;
        case Kind::Date: {
            auto date = arg.kind == ArgKind::Text ? platform::parseIsoDateTime(arg.text)
                                                  : Result<double>(Status::failure(""));
            if (!date)
                return Status::failure(which + " must be a quoted date 'YYYY-MM-DD', not '" +
                                       arg.text + "'");
            value.date = *date;
            return value;
        }
        case Kind::PrintNumber:
            if (arg.kind != ArgKind::Text || !allDigits(arg.text) || arg.text.size() > 10)
                return Status::failure(which + " must be a quoted print number (digits, or empty)");
            value.text = arg.text;
            return value;
    }
    return Status::failure(which + " has an unknown kind");
}

std::string decimal(int64_t n) {
    return std::to_string(n);
}

Status bindAndRun(sqlite3* db, const char* sql, std::initializer_list<std::string_view> texts,
                  std::initializer_list<int64_t> numbers) {
    auto st = sqlite::Statement::prepare(db, sql);
    if (!st)
        return st.status();
    int index = 1;
    for (int64_t n : numbers) st.value().bind(index++, n);
    for (std::string_view t : texts) st.value().bind(index++, t);
    return st.value().run();
}

Status deleteMarks(sqlite3* db, int64_t applyNo, int64_t imageId) {
    return bindAndRun(db,
                      "DELETE FROM Ris_Result WHERE ApplyNo = ?1 AND ItemCode = ?2 AND ItemName IN "
                      "('PosX','PosY','PosXE','PosYE','PosColor','Caption','IsShape','SketchID')",
                      {decimal(imageId)}, {applyNo});
}

Status deleteRegistration(sqlite3* db, int64_t applyNo, int64_t imageId) {
    return bindAndRun(
        db, "DELETE FROM Ris_Result WHERE ApplyNo = ?1 AND ItemCode = 'Image' AND ItemResult = ?2",
        {decimal(imageId)}, {applyNo});
}

Status insertResult(sqlite3* db, int64_t applyNo, std::string_view code, std::string_view name,
                    std::string_view result) {
    return bindAndRun(
        db,
        "INSERT INTO Ris_Result (ApplyNo, ItemCode, ItemName, ItemResult) VALUES (?1, ?2, ?3, ?4)",
        {code, name, result}, {applyNo});
}

Result<Rows> saveSketchMap(sqlite3* db, const std::vector<ArgumentValue>& v) {
    const int64_t applyNo = v[0].integer;
    const std::string imageId = decimal(v[1].integer);
    if (Status s = deleteMarks(db, applyNo, v[1].integer); !s)
        return s;
    const std::string values[] = {decimal(v[2].integer), decimal(v[3].integer),
                                  decimal(v[4].integer), decimal(v[5].integer),
                                  decimal(v[6].integer), v[7].text,
                                  decimal(v[8].integer), decimal(v[9].integer)};
    for (size_t i = 0; i < std::size(MarkItems); ++i)
        if (Status s = insertResult(db, applyNo, imageId, MarkItems[i], values[i]); !s)
            return s;
    return Rows();
}

Result<Rows> deleteImage(sqlite3* db, const std::vector<ArgumentValue>& v) {
    if (Status s = deleteRegistration(db, v[0].integer, v[1].integer); !s)
        return s;
    if (v[2].integer == 1)
        if (Status s = deleteMarks(db, v[0].integer, v[1].integer); !s)
            return s;
    return Rows();
}

Status checkGrabPrintImages(const std::vector<ArgumentValue>& v) {
    if (v[2].integer == 0 && v.size() != 4)
        return Status::failure("the print number is missing (imported 0 needs it)");
    if (v[2].integer == 1 && v.size() != 3)
        return Status::failure("an imported image takes no print number");
    return {};
}

// The highest print number registered for the examination, 0 when there is none.
Result<int> highestPrintNumber(sqlite3* db, int64_t applyNo) {
    auto st = sqlite::Statement::prepare(
        db, "SELECT ItemName FROM Ris_Result WHERE ApplyNo = ?1 AND ItemCode = 'Image'");
    if (!st)
        return st.status();
    st.value().bind(1, applyNo);
    int highest = 0;
    while (true) {
        auto row = st.value().step();
        if (!row)
            return row.status();
        if (!*row)
            return highest;
        const std::string name = st.value().text(0);
        if (name.size() <= PrintNumberPrefix.size())
            continue;
        if (auto n = readInteger(std::string_view(name).substr(PrintNumberPrefix.size()));
            n && *n > highest)
            highest = static_cast<int>(*n);
    }
}

Result<Rows> grabPrintImages(sqlite3* db, const std::vector<ArgumentValue>& v) {
    const int64_t applyNo = v[0].integer;
    if (Status s = deleteRegistration(db, applyNo, v[1].integer); !s)
        return s;
    std::string number;
    if (v[2].integer == 1) {
        auto highest = highestPrintNumber(db, applyNo);
        if (!highest)
            return highest.status();
        if (*highest >= INT32_MAX)
            return Status::failure("no print number is left after " + std::to_string(*highest));
        number = printNumberText(*highest + 1);
    } else {
        number = v[3].text;
    }
    if (Status s = insertResult(db, applyNo, "Image", std::string(PrintNumberPrefix) + number,
                                decimal(v[1].integer));
        !s)
        return s;
    return Rows();
}

Result<Rows> patientList(sqlite3* db, const std::vector<ArgumentValue>& v) {
    auto st = sqlite::Statement::prepare(
        db,
        "SELECT PatName AS \"姓名\", PatNameSpell, TechNo, HospNo, ApplyNo FROM RIS_List "
        "WHERE SysCode = ?1 AND RegisterTime >= ?2 AND RegisterTime < ?3 AND (UserID = '' OR "
        "UserID = ?4) "
        "ORDER BY RegisterTime, ApplyNo");
    if (!st)
        return st.status();
    st.value()
        .bind(1, std::string_view(v[4].text))
        .bind(2, std::floor(v[0].date))
        .bind(3, std::floor(v[1].date) + 1)
        .bind(4, std::string_view(v[5].text));
    auto packet = sqlite::readPacket(st.value());
    if (!packet)
        return packet.status();
    return Rows(std::move(packet).value());
}

}  // namespace

std::string printNumberText(int number) {
    if (number < 0)
        return {};
    if (number >= 1000)
        return "0" + std::to_string(number);
    std::string text = std::to_string(number);
    return std::string(4 - text.size(), '0') + text;
}

Result<CheckedCall> check(const sql::ProcedureCall& call) {
    for (const Procedure& p : Procedures) {
        if (!sql::equalsNoCase(p.name, call.name))
            continue;
        const size_t count = call.arguments.size();
        if (count < p.required || count > p.parameters.size()) {
            const std::string expected =
                p.required == p.parameters.size()
                    ? std::to_string(p.required)
                    : std::to_string(p.required) + " to " + std::to_string(p.parameters.size());
            return Status::failure(std::string(p.name) + " takes " + expected + " arguments (" +
                                   describe(p) + "), not " + std::to_string(count));
        }
        CheckedCall checked;
        checked.procedure = &p;
        for (size_t i = 0; i < count; ++i) {
            auto value = readArgument(call.arguments[i], p.parameters[i]);
            if (!value)
                return Status::failure(std::string(p.name) + ": " + value.message());
            checked.values.push_back(std::move(value).value());
        }
        if (p.checkValues)
            if (Status s = p.checkValues(checked.values); !s)
                return Status::failure(std::string(p.name) + ": " + s.message());
        return checked;
    }
    return Status::failure("unknown procedure '" + call.name + "'");
}

Result<Rows> run(sqlite3* db, const CheckedCall& call) {
    assert(call.procedure && "only checked calls run");
    return call.procedure->run(db, call.values);
}

}  // namespace kadrix::workstation::procedures
