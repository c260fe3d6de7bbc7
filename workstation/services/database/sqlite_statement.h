// Thin owners of SQLite handles for the clinic database's own code: a prepared statement with
// bound values, and the scope that makes one step of work atomic (a transaction of its own, or
// a savepoint inside the caller's transaction).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "kadrix/platform/data_packet.h"
#include "kadrix/platform/status.h"

namespace kadrix::workstation::sqlite {

using platform::Result;
using platform::Status;

std::string errorOf(sqlite3* db);

class Statement {
  public:
    Statement() = default;
    Statement(Statement&& other) noexcept : db_(other.db_), st_(other.st_) { other.st_ = nullptr; }
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Exactly one statement; trailing text fails.
    static Result<Statement> prepare(sqlite3* db, std::string_view sql);

    Statement& bind(int index, int64_t value);
    Statement& bind(int index, double value);
    Statement& bind(int index, std::string_view text);
    Statement& bindNull(int index);

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, a failure otherwise.
    Result<bool> step();
    // Steps to the end; fails on the first error.
    Status run();
    void reset();

    sqlite3_stmt* handle() const { return st_; }
    sqlite3* db() const { return db_; }
    int64_t integer(int column) const { return sqlite3_column_int64(st_, column); }
    double real(int column) const { return sqlite3_column_double(st_, column); }
    std::string text(int column) const;
    bool isNull(int column) const { return sqlite3_column_type(st_, column) == SQLITE_NULL; }

  private:
    Statement(sqlite3* db, sqlite3_stmt* st) : db_(db), st_(st) {}
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
};

Status execute(sqlite3* db, const char* sql);

// One unit of work: outside a transaction BEGIN IMMEDIATE ... COMMIT (the write lock is taken
// up front, so two writers wait for each other instead of failing on an upgrade); inside the
// caller's transaction a savepoint. Rolled back unless committed.
class AtomicScope {
  public:
    static Result<AtomicScope> begin(sqlite3* db);
    AtomicScope(AtomicScope&& other) noexcept : db_(other.db_), savepoint_(other.savepoint_) {
        other.db_ = nullptr;
    }
    AtomicScope(const AtomicScope&) = delete;
    AtomicScope& operator=(const AtomicScope&) = delete;
    AtomicScope& operator=(AtomicScope&&) = delete;
    ~AtomicScope();
    Status commit();

  private:
    AtomicScope(sqlite3* db, bool savepoint) : db_(db), savepoint_(savepoint) {}
    void rollback();
    sqlite3* db_ = nullptr;
    bool savepoint_ = false;
};

// All rows of a statement as a data packet. Column types follow the declared types of the
// columns; a column without one (an expression), or whose values don't fit its declaration,
// takes the type of its values. Dates are days since 1899-12-30. Repeated column names get
// "_1", "_2", ... so that every column can be found by name.
Result<platform::DataPacket> readPacket(Statement& statement);

}  // namespace kadrix::workstation::sqlite
