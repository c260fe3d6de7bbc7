#include "sqlite_clinic_database.h"

#include <cmath>
#include <limits>
#include <variant>

#include "dialect_translator.h"
#include "kadrix/platform/date_time.h"
#include "procedures.h"
#include "schema.h"
#include "sqlite_statement.h"

namespace kadrix::workstation {
namespace {

using sqlite::AtomicScope;
using sqlite::Statement;

void localNow(sqlite3_context* context, int, sqlite3_value**) {
    sqlite3_result_double(context, platform::currentDateTime());
}

// What a statement of a batch may do: read and change rows. Everything else (schema changes,
// transactions, pragmas, attaching files) is refused even if it got past the dialect layer.
int authorizeBatchStatement(void*, int action, const char* argument1, const char* argument2,
                            const char*, const char*) {
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_READ:
        case SQLITE_INSERT:
        case SQLITE_UPDATE:
        case SQLITE_DELETE:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_FUNCTION:
            return argument2 && sqlite3_stricmp(argument2, "load_extension") == 0 ? SQLITE_DENY
                                                                                  : SQLITE_OK;
        default:
            (void)argument1;
            return SQLITE_DENY;
    }
}

Result<Statement> prepare(sqlite3* db, const char* sql) {
    return Statement::prepare(db, sql);
}

std::string withContext(const std::string& what, const std::string& why) {
    return what + ": " + why;
}

struct PreparedStep {
    const sql::DialectStatement* source = nullptr;
    std::optional<Statement> statement;
    std::optional<procedures::CheckedCall> call;
};

}  // namespace

Result<std::unique_ptr<ClinicDatabase>> openClinicDatabase(const std::filesystem::path& file) {
    auto db = SqliteClinicDatabase::open(file);
    if (!db)
        return db.status();
    return std::unique_ptr<ClinicDatabase>(std::move(db).value());
}

Result<std::unique_ptr<SqliteClinicDatabase>> SqliteClinicDatabase::open(
    const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    const std::string name = file.string();
    const int rc =
        sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<SqliteClinicDatabase> owner(new SqliteClinicDatabase(db));
    if (rc != SQLITE_OK)
        return Status::failure("cannot open the clinic database " + name + ": " +
                               sqlite::errorOf(db));
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    // Double quotes name columns; a misspelt name must not quietly become a text.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_create_function(db, "kx_now", 0, SQLITE_UTF8, nullptr, localNow, nullptr, nullptr);
    if (Status s = schema::ensure(db); !s)
        return Status::failure("cannot open the clinic database " + name + ": " + s.message());
    return owner;
}

SqliteClinicDatabase::~SqliteClinicDatabase() {
    if (db_)
        sqlite3_close_v2(db_);
}

Result<std::optional<DataPacket>> SqliteClinicDatabase::runBatch(std::string_view batch) {
    auto statements = sql::translateBatch(batch);
    if (!statements)
        return statements.status();

    // Everything is read, checked and compiled before the first statement runs, so a batch with
    // a malformed statement anywhere changes nothing.
    std::vector<PreparedStep> steps;
    for (const sql::DialectStatement& s : *statements) {
        PreparedStep step;
        step.source = &s;
        if (s.isProcedure) {
            auto call = procedures::check(s.call);
            if (!call)
                return Status::failure(withContext(s.describe(), call.message()));
            step.call = std::move(call).value();
        } else {
            sqlite3_set_authorizer(db_, authorizeBatchStatement, nullptr);
            auto st = Statement::prepare(db_, s.sql);
            sqlite3_set_authorizer(db_, nullptr, nullptr);
            if (!st)
                return Status::failure(withContext(s.describe(), st.message()));
            for (size_t i = 0; i < s.textValues.size(); ++i)
                st.value().bind(static_cast<int>(i + 1), std::string_view(s.textValues[i]));
            step.statement = std::move(st).value();
        }
        steps.push_back(std::move(step));
    }

    std::optional<DataPacket> last;
    for (PreparedStep& step : steps) {
        const bool readOnly = step.statement && sqlite3_stmt_readonly(step.statement->handle());
        std::optional<AtomicScope> scope;
        if (!readOnly) {
            auto begun = AtomicScope::begin(db_);
            if (!begun)
                return Status::failure(withContext(step.source->describe(), begun.message()));
            scope.emplace(std::move(begun).value());
        }
        if (step.call) {
            auto rows = procedures::run(db_, *step.call);
            if (!rows)
                return Status::failure(withContext(step.source->describe(), rows.message()));
            if (rows.value())
                last = std::move(rows.value());
        } else if (sqlite3_column_count(step.statement->handle()) > 0) {
            auto rows = sqlite::readPacket(*step.statement);
            if (!rows)
                return Status::failure(withContext(step.source->describe(), rows.message()));
            last = std::move(rows).value();
        } else if (Status s = step.statement->run(); !s) {
            return Status::failure(withContext(step.source->describe(), s.message()));
        }
        if (scope)
            if (Status s = scope->commit(); !s)
                return Status::failure(withContext(step.source->describe(), s.message()));
    }
    return last;
}

Result<DataPacket> SqliteClinicDatabase::openSql(std::string_view batch) {
    auto rows = runBatch(batch);
    if (!rows)
        return rows.status();
    return rows.value() ? std::move(*rows.value()) : DataPacket{};
}

Status SqliteClinicDatabase::execSql(std::string_view batch) {
    auto rows = runBatch(batch);
    return rows ? Status() : rows.status();
}

Status SqliteClinicDatabase::beginTransaction() {
    if (sqlite3_get_autocommit(db_) == 0)
        return Status::failure("a transaction is already open");
    return sqlite::execute(db_, "BEGIN IMMEDIATE");
}

Status SqliteClinicDatabase::commitTransaction() {
    if (sqlite3_get_autocommit(db_) != 0)
        return Status::failure("no transaction is open");
    return sqlite::execute(db_, "COMMIT");
}

Status SqliteClinicDatabase::rollbackTransaction() {
    if (sqlite3_get_autocommit(db_) != 0)
        return Status::failure("no transaction is open");
    return sqlite::execute(db_, "ROLLBACK");
}

Result<int32_t> SqliteClinicDatabase::nextSerial(std::string_view counter, int32_t count) {
    if (counter.empty())
        return Status::failure("a serial counter needs a name");
    if (count < 1)
        return Status::failure("a serial counter reserves at least one value, not " +
                               std::to_string(count));
    // The write lock is held from the read to the update, so no other program sees the same value.
    auto scope = AtomicScope::begin(db_);
    if (!scope)
        return scope.status();
    auto read = prepare(db_, "SELECT NextValue FROM Kx_SerialCounter WHERE Name = ?1");
    if (!read)
        return read.status();
    read.value().bind(1, counter);
    auto row = read.value().step();
    if (!row)
        return row.status();
    const int64_t first = *row ? read.value().integer(0) : 1;
    const int64_t next = first + count;
    if (next - 1 > std::numeric_limits<int32_t>::max())
        return Status::failure("serial counter " + std::string(counter) + " is exhausted");
    auto write = prepare(db_,
                         "INSERT INTO Kx_SerialCounter (Name, NextValue) VALUES (?1, ?2) "
                         "ON CONFLICT (Name) DO UPDATE SET NextValue = excluded.NextValue");
    if (!write)
        return write.status();
    write.value().bind(1, counter).bind(2, next);
    if (Status s = write.value().run(); !s)
        return s;
    if (Status s = scope.value().commit(); !s)
        return s;
    return static_cast<int32_t>(first);
}

Result<std::string> SqliteClinicDatabase::setting(std::string_view section, std::string_view key) {
    auto st = prepare(db_, "SELECT Value FROM Kx_Setting WHERE Section = ?1 AND Key = ?2");
    if (!st)
        return st.status();
    st.value().bind(1, section).bind(2, key);
    auto row = st.value().step();
    if (!row)
        return row.status();
    return *row ? st.value().text(0) : std::string();
}

Status SqliteClinicDatabase::setSetting(std::string_view section, std::string_view key,
                                        std::string_view value) {
    auto st = prepare(db_,
                      "INSERT INTO Kx_Setting (Section, Key, Value) VALUES (?1, ?2, ?3) "
                      "ON CONFLICT (Section, Key) DO UPDATE SET Value = excluded.Value");
    if (!st)
        return st.status();
    st.value().bind(1, section).bind(2, key).bind(3, value);
    return st.value().run();
}

Result<int32_t> SqliteClinicDatabase::right(std::string_view sysCode, std::string_view module,
                                            std::string_view userId, std::string_view rightName) {
    auto st = prepare(
        db_,
        "SELECT Value FROM Kx_UserRight WHERE SysCode = ?1 AND Module = ?2 AND UserID = ?3 AND "
        "RightName = ?4");
    if (!st)
        return st.status();
    st.value().bind(1, sysCode).bind(2, module).bind(3, userId).bind(4, rightName);
    auto row = st.value().step();
    if (!row)
        return row.status();
    return *row ? static_cast<int32_t>(st.value().integer(0)) : 0;
}

Status SqliteClinicDatabase::grantRight(std::string_view sysCode, std::string_view module,
                                        std::string_view userId, std::string_view rightName,
                                        int32_t value) {
    auto st = prepare(
        db_,
        "INSERT INTO Kx_UserRight (SysCode, Module, UserID, RightName, Value) VALUES (?1, ?2, ?3, "
        "?4, ?5) "
        "ON CONFLICT (SysCode, Module, UserID, RightName) DO UPDATE SET Value = excluded.Value");
    if (!st)
        return st.status();
    st.value()
        .bind(1, sysCode)
        .bind(2, module)
        .bind(3, userId)
        .bind(4, rightName)
        .bind(5, static_cast<int64_t>(value));
    return st.value().run();
}

Status SqliteClinicDatabase::registerPatient(const PatientRegistration& r) {
    if (r.applyNo <= 0)
        return Status::failure("a registration needs an application number above 0");
    auto st = prepare(db_,
                      "INSERT INTO RIS_List (ApplyNo, ReportID, TechNo, HospNo, PatName, "
                      "PatNameSpell, Age, AgeUnit, "
                      "Sex, Birthday, Modality, RegisterTime, SysCode, UserID) "
                      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
    if (!st)
        return st.status();
    Statement& s = st.value();
    s.bind(1, static_cast<int64_t>(r.applyNo)).bind(2, static_cast<int64_t>(r.reportId));
    s.bind(3, std::string_view(r.techNo)).bind(4, std::string_view(r.hospNo));
    s.bind(5, std::string_view(r.patName)).bind(6, std::string_view(r.patNameSpell));
    s.bind(7, static_cast<int64_t>(r.age))
        .bind(8, std::string_view(r.ageUnit))
        .bind(9, static_cast<int64_t>(r.sex));
    // 0 is the platform's "no date".
    if (r.birthday != 0)
        s.bind(10, r.birthday);
    else
        s.bindNull(10);
    s.bind(11, std::string_view(r.modality));
    s.bind(12, r.registered != 0 ? r.registered : platform::currentDateTime());
    s.bind(13, std::string_view(r.sysCode)).bind(14, std::string_view(r.userId));
    if (Status run = s.run(); !run)
        return Status::failure("cannot register application " + std::to_string(r.applyNo) + ": " +
                               run.message());
    return {};
}

Status SqliteClinicDatabase::addInstrument(const Instrument& instrument) {
    if (instrument.instId <= 0)
        return Status::failure("an instrument needs an id above 0");
    if (instrument.instCode.empty())
        return Status::failure("an instrument needs a code");
    auto st =
        prepare(db_, "INSERT INTO Instrument (InstID, InstCode, InstName) VALUES (?1, ?2, ?3)");
    if (!st)
        return st.status();
    st.value()
        .bind(1, static_cast<int64_t>(instrument.instId))
        .bind(2, std::string_view(instrument.instCode));
    st.value().bind(3, std::string_view(instrument.instName));
    if (Status run = st.value().run(); !run)
        return Status::failure("cannot add instrument " + std::to_string(instrument.instId) + ": " +
                               run.message());
    return {};
}

// The dictionary tree of the captions: a node per instrument (ItemCode its id), below it the
// legend node "图注", below that one node per caption. Legend and caption nodes keep an empty
// ItemCode so they are never taken for an instrument's node.
Status SqliteClinicDatabase::addCaption(int32_t reportId, std::string_view caption) {
    auto scope = AtomicScope::begin(db_);
    if (!scope)
        return scope.status();
    auto findOrAdd = [this](const char* find, const char* add, auto bindKeys) -> Result<int64_t> {
        auto st = prepare(db_, find);
        if (!st)
            return st.status();
        bindKeys(st.value());
        auto row = st.value().step();
        if (!row)
            return row.status();
        if (*row)
            return st.value().integer(0);
        auto insert = prepare(db_, add);
        if (!insert)
            return insert.status();
        bindKeys(insert.value());
        if (Status s = insert.value().run(); !s)
            return s;
        return sqlite3_last_insert_rowid(db_);
    };
    const std::string code = std::to_string(reportId);
    auto node = findOrAdd(
        "SELECT ItemID FROM RIS_SpecialItemDic WHERE Parent = 0 AND ItemCode = ?1 ORDER BY ItemID "
        "LIMIT 1",
        "INSERT INTO RIS_SpecialItemDic (Parent, ItemCode, ItemName) VALUES "
        "(0, ?1, ifnull((SELECT InstName FROM Instrument WHERE InstID = ?2), ''))",
        [&](Statement& s) {
            s.bind(1, std::string_view(code)).bind(2, static_cast<int64_t>(reportId));
        });
    if (!node)
        return node.status();
    auto legend = findOrAdd(
        "SELECT ItemID FROM RIS_SpecialItemDic WHERE Parent = ?1 AND ItemName = ?2 ORDER BY ItemID "
        "LIMIT 1",
        "INSERT INTO RIS_SpecialItemDic (Parent, ItemCode, ItemName) VALUES (?1, '', ?2)",
        [&](Statement& s) { s.bind(1, *node).bind(2, std::string_view("图注")); });
    if (!legend)
        return legend.status();
    auto insert = prepare(
        db_, "INSERT INTO RIS_SpecialItemDic (Parent, ItemCode, ItemName) VALUES (?1, '', ?2)");
    if (!insert)
        return insert.status();
    insert.value().bind(1, *legend).bind(2, caption);
    if (Status s = insert.value().run(); !s)
        return s;
    return scope.value().commit();
}

Status SqliteClinicDatabase::addUser(std::string_view userId, std::string_view userName) {
    if (userId.empty())
        return Status::failure("a user needs an id");
    auto st = prepare(db_,
                      "INSERT INTO Kx_User (UserID, UserName) VALUES (?1, ?2) "
                      "ON CONFLICT (UserID) DO UPDATE SET UserName = excluded.UserName");
    if (!st)
        return st.status();
    st.value().bind(1, userId).bind(2, userName);
    return st.value().run();
}

Result<std::vector<Instrument>> SqliteClinicDatabase::instruments() {
    auto st = prepare(db_, "SELECT InstID, InstCode, InstName FROM Instrument ORDER BY InstID");
    if (!st)
        return st.status();
    std::vector<Instrument> out;
    while (true) {
        auto row = st.value().step();
        if (!row)
            return row.status();
        if (!*row)
            return out;
        out.push_back(
            {static_cast<int32_t>(st.value().integer(0)), st.value().text(1), st.value().text(2)});
    }
}

Result<std::vector<PatientRegistration>> SqliteClinicDatabase::registrations(
    std::string_view sysCode, double firstDay, double lastDay) {
    auto st = prepare(db_,
                      "SELECT ApplyNo, ReportID, TechNo, HospNo, PatName, PatNameSpell, Modality, "
                      "AgeUnit, Age, Sex, "
                      "Birthday, RegisterTime, SysCode, UserID FROM RIS_List "
                      "WHERE SysCode = ?1 AND RegisterTime >= ?2 AND RegisterTime < ?3 ORDER BY "
                      "RegisterTime, ApplyNo");
    if (!st)
        return st.status();
    st.value().bind(1, sysCode).bind(2, std::floor(firstDay)).bind(3, std::floor(lastDay) + 1);
    std::vector<PatientRegistration> out;
    while (true) {
        auto row = st.value().step();
        if (!row)
            return row.status();
        if (!*row)
            return out;
        const Statement& s = st.value();
        PatientRegistration r;
        r.applyNo = static_cast<int32_t>(s.integer(0));
        r.reportId = static_cast<int32_t>(s.integer(1));
        r.techNo = s.text(2);
        r.hospNo = s.text(3);
        r.patName = s.text(4);
        r.patNameSpell = s.text(5);
        r.modality = s.text(6);
        r.ageUnit = s.text(7);
        r.age = static_cast<int32_t>(s.integer(8));
        r.sex = static_cast<int32_t>(s.integer(9));
        r.birthday = s.isNull(10) ? 0 : s.real(10);
        r.registered = s.real(11);
        r.sysCode = s.text(12);
        r.userId = s.text(13);
        out.push_back(std::move(r));
    }
}

}  // namespace kadrix::workstation
