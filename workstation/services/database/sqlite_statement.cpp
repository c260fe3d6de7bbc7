#include "sqlite_statement.h"

#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "kadrix/platform/date_time.h"

namespace kadrix::workstation::sqlite {

using platform::DataPacket;
using platform::FieldType;
using platform::Variant;

std::string errorOf(sqlite3* db) {
    return db ? sqlite3_errmsg(db) : "no database";
}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        if (st_)
            sqlite3_finalize(st_);
        db_ = other.db_;
        st_ = other.st_;
        other.st_ = nullptr;
    }
    return *this;
}

Statement::~Statement() {
    if (st_)
        sqlite3_finalize(st_);
}

Result<Statement> Statement::prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &st, &tail);
    if (rc != SQLITE_OK) {
        if (st)
            sqlite3_finalize(st);
        return Status::failure(errorOf(db));
    }
    if (!st)
        return Status::failure("no statement");
    const size_t used = static_cast<size_t>(tail - sql.data());
    for (size_t i = used; i < sql.size(); ++i) {
        if (!std::isspace(static_cast<unsigned char>(sql[i]))) {
            sqlite3_finalize(st);
            return Status::failure("more than one statement");
        }
    }
    return Statement(db, st);
}

Statement& Statement::bind(int index, int64_t value) {
    sqlite3_bind_int64(st_, index, value);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    sqlite3_bind_double(st_, index, value);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    sqlite3_bind_text(st_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(st_, index);
    return *this;
}

Result<bool> Statement::step() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    return Status::failure(errorOf(db_));
}

Status Statement::run() {
    while (true) {
        auto row = step();
        if (!row)
            return row.status();
        if (!*row)
            return {};
    }
}

void Statement::reset() {
    sqlite3_reset(st_);
    sqlite3_clear_bindings(st_);
}

std::string Statement::text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, column));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(st_, column)))
             : std::string();
}

Status execute(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    std::string why = message ? message : errorOf(db);
    sqlite3_free(message);
    return Status::failure(why);
}

Result<AtomicScope> AtomicScope::begin(sqlite3* db) {
    const bool inTransaction = sqlite3_get_autocommit(db) == 0;
    if (Status s = execute(db, inTransaction ? "SAVEPOINT kx_step" : "BEGIN IMMEDIATE"); !s)
        return s;
    return AtomicScope(db, inTransaction);
}

AtomicScope::~AtomicScope() {
    if (db_)
        rollback();
}

void AtomicScope::rollback() {
    if (savepoint_) {
        execute(db_, "ROLLBACK TO kx_step");
        execute(db_, "RELEASE kx_step");
    } else if (sqlite3_get_autocommit(db_) == 0) {
        execute(db_, "ROLLBACK");
    }
    db_ = nullptr;
}

Status AtomicScope::commit() {
    Status s = execute(db_, savepoint_ ? "RELEASE kx_step" : "COMMIT");
    if (!s)
        rollback();
    db_ = nullptr;
    return s;
}

namespace {

struct Cell {
    int type = SQLITE_NULL;
    int64_t integer = 0;
    double real = 0;
    std::string text;
};

std::optional<FieldType> declaredType(const char* declared) {
    if (!declared)
        return std::nullopt;
    std::string d;
    for (const char* p = declared; *p; ++p)
        d += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    auto has = [&](const char* part) { return d.find(part) != std::string::npos; };
    if (has("DATE") || has("TIME"))
        return FieldType::DateTime;
    if (has("INT") || has("BIT"))
        return FieldType::Integer;
    if (has("CHAR") || has("TEXT") || has("CLOB"))
        return FieldType::Text;
    if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL") ||
        has("MONEY"))
        return FieldType::Double;
    return std::nullopt;
}

bool fitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

std::optional<Variant> convert(const Cell& c, FieldType type) {
    if (c.type == SQLITE_NULL)
        return Variant::null();
    switch (type) {
        case FieldType::Integer:
        case FieldType::Boolean:
            if (c.type == SQLITE_INTEGER && fitsInt32(c.integer))
                return Variant(static_cast<int32_t>(c.integer));
            return std::nullopt;
        case FieldType::Double:
            if (c.type == SQLITE_INTEGER)
                return Variant(static_cast<double>(c.integer));
            if (c.type == SQLITE_FLOAT)
                return Variant(c.real);
            return std::nullopt;
        case FieldType::DateTime:
            if (c.type == SQLITE_INTEGER)
                return Variant::dateTime(static_cast<double>(c.integer));
            if (c.type == SQLITE_FLOAT)
                return Variant::dateTime(c.real);
            if (c.type == SQLITE_TEXT) {
                auto parsed = platform::parseIsoDateTime(c.text);
                if (parsed)
                    return Variant::dateTime(*parsed);
            }
            return std::nullopt;
        case FieldType::Text:
            if (c.type == SQLITE_INTEGER)
                return Variant(std::to_string(c.integer));
            if (c.type == SQLITE_FLOAT) {
                char buffer[32];
                std::snprintf(buffer, sizeof buffer, "%.15g", c.real);
                return Variant(std::string(buffer));
            }
            return Variant(c.text);
    }
    return std::nullopt;
}

FieldType typeOfValues(const std::vector<std::vector<Cell>>& rows, size_t column) {
    bool anyInteger = false, anyReal = false, anyText = false;
    for (const auto& row : rows) {
        const Cell& c = row[column];
        if (c.type == SQLITE_INTEGER)
            (fitsInt32(c.integer) ? anyInteger : anyReal) = true;
        if (c.type == SQLITE_FLOAT)
            anyReal = true;
        if (c.type == SQLITE_TEXT || c.type == SQLITE_BLOB)
            anyText = true;
    }
    if (anyText || (!anyInteger && !anyReal))
        return FieldType::Text;
    return anyReal ? FieldType::Double : FieldType::Integer;
}

std::string uniqueName(const std::vector<platform::PacketColumn>& columns,
                       const std::string& name) {
    auto taken = [&](const std::string& candidate) {
        for (const auto& c : columns)
            if (sqlite3_stricmp(c.name.c_str(), candidate.c_str()) == 0)
                return true;
        return false;
    };
    if (!taken(name))
        return name;
    for (int n = 1;; ++n) {
        std::string candidate = name + "_" + std::to_string(n);
        if (!taken(candidate))
            return candidate;
    }
}

}  // namespace

Result<DataPacket> readPacket(Statement& statement) {
    sqlite3_stmt* st = statement.handle();
    const int count = sqlite3_column_count(st);
    DataPacket packet;
    std::vector<std::optional<FieldType>> declared;
    for (int c = 0; c < count; ++c) {
        const char* name = sqlite3_column_name(st, c);
        packet.columns.push_back({uniqueName(packet.columns, name ? name : ""), FieldType::Text});
        declared.push_back(declaredType(sqlite3_column_decltype(st, c)));
    }
    std::vector<std::vector<Cell>> rows;
    while (true) {
        auto more = statement.step();
        if (!more)
            return more.status();
        if (!*more)
            break;
        std::vector<Cell> row(static_cast<size_t>(count));
        for (int c = 0; c < count; ++c) {
            Cell& cell = row[static_cast<size_t>(c)];
            cell.type = sqlite3_column_type(st, c);
            if (cell.type == SQLITE_INTEGER)
                cell.integer = sqlite3_column_int64(st, c);
            if (cell.type == SQLITE_FLOAT)
                cell.real = sqlite3_column_double(st, c);
            if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB)
                cell.text = statement.text(c);
        }
        rows.push_back(std::move(row));
    }
    for (size_t c = 0; c < packet.columns.size(); ++c) {
        FieldType type = declared[c].value_or(typeOfValues(rows, c));
        for (const auto& row : rows) {
            if (!convert(row[c], type)) {
                type = typeOfValues(rows, c);
                break;
            }
        }
        packet.columns[c].type = type;
    }
    for (const auto& row : rows) {
        std::vector<Variant> values;
        for (size_t c = 0; c < packet.columns.size(); ++c) {
            auto v = convert(row[c], packet.columns[c].type);
            assert(v && "a column's type is chosen so that each of its values converts");
            values.push_back(v ? std::move(*v) : Variant::null());
        }
        packet.rows.push_back(std::move(values));
    }
    return packet;
}

}  // namespace kadrix::workstation::sqlite
