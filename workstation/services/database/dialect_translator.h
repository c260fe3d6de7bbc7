// The dialect layer: a batch in the clinic's SQL Server dialect becomes a list of statements
// SQLite can run. Several statements may follow each other without separators; a new one begins
// at a statement keyword outside parentheses. Text values never reach the SQLite text: they are
// replaced by numbered parameters and bound. `Exec` statements become procedure calls with
// their arguments read as values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/status.h"

namespace kadrix::workstation::sql {

struct ProcedureArgument {
    enum class Kind { Number, Text };
    Kind kind = Kind::Number;
    std::string text;  // a number as written (sign included) or the text value, unquoted
};

struct ProcedureCall {
    std::string name;  // as written
    std::vector<ProcedureArgument> arguments;
};

struct DialectStatement {
    int index = 0;       // 1-based position in the batch
    std::string source;  // the statement as written
    bool isProcedure = false;
    std::string sql;                      // SQLite text; ?1, ?2, ... stand for textValues
    std::vector<std::string> textValues;  // in parameter order
    ProcedureCall call;                   // when isProcedure

    // "statement 2 (Delete From ...)" for messages.
    std::string describe() const;
};

// Splits and translates a whole batch; nothing is run. Fails on text that does not read as
// tokens, unbalanced parentheses, statements that are not Select, Insert, Delete, Update or
// Exec, unsupported forms of the dialect's functions and malformed procedure arguments; the
// message names the statement.
platform::Result<std::vector<DialectStatement>> translateBatch(std::string_view batch);

}  // namespace kadrix::workstation::sql
