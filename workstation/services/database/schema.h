// The clinic database's tables. Text columns compare without regard to case, as the clinic's
// server does, so 'isShape' finds 'IsShape'. Dates are stored as days since 1899-12-30.
#pragma once

#include "kadrix/platform/status.h"

struct sqlite3;

namespace kadrix::workstation::schema {

// The version this build writes. A database made by a later build is refused, an earlier one
// is migrated step by step.
constexpr int CurrentVersion = 1;

// Creates the tables in an empty database, migrates an older one, refuses a newer one.
platform::Status ensure(sqlite3* db);

// The version recorded in the database, 0 when it has none.
platform::Result<int> version(sqlite3* db);

}  // namespace kadrix::workstation::schema
