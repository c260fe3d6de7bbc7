#include "dialect_translator.h"

#include <algorithm>

#include "sql_tokenizer.h"

namespace kadrix::workstation::sql {
namespace {

using platform::Result;
using platform::Status;

constexpr size_t MaxQuotedSource = 160;

const std::string_view StatementWords[] = {"Select", "Insert", "Delete",
                                           "Update", "Exec",   "Execute"};
// Statements of the server dialect this layer refuses. They still start a statement of their
// own, so the refusal names them instead of a syntax error somewhere inside the previous one.
const std::string_view RefusedWords[] = {
    "Create", "Drop",    "Alter",  "Truncate", "Declare", "Begin",     "Commit",  "Rollback",
    "Attach", "Detach",  "Pragma", "Vacuum",   "Reindex", "Analyze",   "Use",     "Grant",
    "Revoke", "Deny",    "Go",     "Merge",    "Print",   "Raiserror", "Waitfor", "Dbcc",
    "Backup", "Restore", "Kill",   "Shutdown", "Bulk"};

bool isOneOf(const Token& t, const auto& words) {
    return std::any_of(std::begin(words), std::end(words),
                       [&](std::string_view w) { return t.isWord(w); });
}

std::string quoteIdentifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

struct RawStatement {
    std::vector<Token> tokens;
    std::string source;
};

std::string describeSource(int index, std::string_view source) {
    std::string quoted(source.substr(0, MaxQuotedSource));
    if (source.size() > MaxQuotedSource)
        quoted += "...";
    return "statement " + std::to_string(index) + " (" + quoted + ")";
}

Status statementFailure(int index, std::string_view source, const std::string& why) {
    return Status::failure(describeSource(index, source) + ": " + why);
}

// Where the batch breaks into statements: at a statement keyword outside parentheses, or at a
// semicolon. A Select continues the statement after Union/Except/Intersect and as the source
// of an Insert that has no Values.
Result<std::vector<RawStatement>> split(std::string_view batch, std::vector<Token> tokens) {
    std::vector<RawStatement> out;
    std::vector<Token> current;
    int depth = 0;
    bool insertWithoutValues = false;
    bool insertSourceSeen = false;
    auto close = [&]() {
        if (current.empty())
            return;
        RawStatement s;
        s.source = std::string(
            batch.substr(current.front().begin, current.back().end - current.front().begin));
        s.tokens = std::move(current);
        current.clear();
        out.push_back(std::move(s));
    };
    for (Token& t : tokens) {
        if (depth == 0 && t.isPunctuation(";")) {
            close();
            continue;
        }
        if (depth == 0 && !current.empty() &&
            (isOneOf(t, StatementWords) || isOneOf(t, RefusedWords))) {
            const Token& previous = current.back();
            const bool compound =
                t.isWord("Select") && (previous.isWord("Union") || previous.isWord("All") ||
                                       previous.isWord("Except") || previous.isWord("Intersect"));
            const bool insertSource =
                t.isWord("Select") && insertWithoutValues && !insertSourceSeen;
            if (insertSource)
                insertSourceSeen = true;
            if (!compound && !insertSource)
                close();
        }
        if (current.empty()) {
            insertWithoutValues = t.isWord("Insert");
            insertSourceSeen = false;
        }
        if (depth == 0 && t.isWord("Values"))
            insertWithoutValues = false;
        if (t.isPunctuation("("))
            ++depth;
        if (t.isPunctuation(")") && --depth < 0) {
            current.push_back(t);
            const size_t begin = current.front().begin;
            return statementFailure(static_cast<int>(out.size() + 1),
                                    batch.substr(begin, t.end - begin),
                                    "unbalanced parentheses: ')' without '('");
        }
        current.push_back(std::move(t));
    }
    if (depth > 0) {
        const size_t begin = current.front().begin;
        return statementFailure(static_cast<int>(out.size() + 1),
                                batch.substr(begin, current.back().end - begin),
                                "unbalanced parentheses: '(' without ')'");
    }
    close();
    return out;
}

class Translator {
  public:
    explicit Translator(const std::vector<Token>& tokens) : tokens_(tokens) {}

    Status run(DialectStatement& out) {
        std::string sql;
        if (Status s = emitRange(0, tokens_.size(), sql); !s)
            return s;
        out.sql = std::move(sql);
        out.textValues = std::move(values_);
        return {};
    }

  private:
    static void append(std::string& sql, const Token& t, std::string_view text) {
        if (!sql.empty() && t.spaceBefore)
            sql += ' ';
        sql += text;
    }

    // The closing parenthesis that matches the one at `open`.
    size_t matching(size_t open) const {
        int depth = 0;
        for (size_t i = open; i < tokens_.size(); ++i) {
            if (tokens_[i].isPunctuation("("))
                ++depth;
            if (tokens_[i].isPunctuation(")") && --depth == 0)
                return i;
        }
        return tokens_.size();
    }

    bool callFollows(size_t i) const {
        return i + 1 < tokens_.size() && tokens_[i + 1].isPunctuation("(");
    }

    Status emitRange(size_t begin, size_t end, std::string& sql) {
        for (size_t i = begin; i < end; ++i) {
            const Token& t = tokens_[i];
            switch (t.kind) {
                case TokenKind::String:
                    // After AS a quoted text is the server's way of writing a column name.
                    if (i > begin && tokens_[i - 1].isWord("As")) {
                        append(sql, t, quoteIdentifier(t.text));
                    } else {
                        values_.push_back(t.text);
                        append(sql, t, "?" + std::to_string(values_.size()));
                    }
                    break;
                case TokenKind::DoubleQuoted:
                case TokenKind::QuotedIdentifier:
                    append(sql, t, quoteIdentifier(t.text));
                    break;
                case TokenKind::Number:
                case TokenKind::Punctuation:
                    append(sql, t, t.text);
                    break;
                case TokenKind::Identifier: {
                    auto next = emitIdentifier(i, end, sql);
                    if (!next)
                        return next.status();
                    i = *next;
                    break;
                }
            }
        }
        return {};
    }

    // Emits the identifier at `i` (rewriting the dialect's functions) and returns the index of
    // the last token it consumed.
    Result<size_t> emitIdentifier(size_t i, size_t end, std::string& sql) {
        const Token& t = tokens_[i];
        if (callFollows(i)) {
            if (t.isWord("convert"))
                return emitConvert(i, end, sql);
            if (t.isWord("getdate")) {
                if (i + 2 >= end || !tokens_[i + 2].isPunctuation(")"))
                    return Status::failure("getdate() takes no arguments");
                append(sql, t, "kx_now()");
                return i + 2;
            }
            static const std::pair<std::string_view, std::string_view> renamed[] = {
                {"IsNull", "ifnull"},   {"RTrim", "rtrim"}, {"LTrim", "ltrim"},
                {"Upper", "upper"},     {"Lower", "lower"}};
            for (const auto& [dialect, sqlite] : renamed) {
                if (t.isWord(dialect)) {
                    append(sql, t, sqlite);
                    return i;
                }
            }
        }
        append(sql, t, t.text);
        // The server lets Delete and Insert go without From and Into; SQLite needs them.
        if ((t.isWord("Delete") && i + 1 < end && !tokens_[i + 1].isWord("From")) ||
            (t.isWord("Insert") && i + 1 < end && !tokens_[i + 1].isWord("Into")))
            sql += t.isWord("Delete") ? " FROM" : " INTO";
        return i;
    }

    // convert(type[(n[,m])], expression) becomes CAST(expression AS <SQLite type>).
    Result<size_t> emitConvert(size_t i, size_t end, std::string& sql) {
        const size_t open = i + 1;
        const size_t close = matching(open);
        if (close >= end)
            return Status::failure("convert without its closing parenthesis");
        size_t p = open + 1;
        if (p >= close || tokens_[p].kind != TokenKind::Identifier)
            return Status::failure("convert needs a type");
        const Token& type = tokens_[p++];
        const char* target = nullptr;
        for (std::string_view w : {"varchar", "nvarchar", "char", "nchar", "text", "ntext"})
            if (type.isWord(w))
                target = "TEXT";
        for (std::string_view w : {"int", "integer", "bigint", "smallint", "tinyint", "bit"})
            if (type.isWord(w))
                target = "INTEGER";
        for (std::string_view w : {"float", "real", "decimal", "numeric", "money"})
            if (type.isWord(w))
                target = "REAL";
        if (!target)
            return Status::failure("convert to the type '" + type.text + "' is not supported");
        if (p < close && tokens_[p].isPunctuation("(")) {
            const size_t sizeClose = matching(p);
            for (size_t k = p + 1; k < sizeClose; ++k)
                if (tokens_[k].kind != TokenKind::Number && !tokens_[k].isPunctuation(",") &&
                    !tokens_[k].isWord("max"))
                    return Status::failure("malformed size of the type in convert");
            p = sizeClose + 1;
        }
        if (p >= close || !tokens_[p].isPunctuation(","))
            return Status::failure("convert needs a type and a value separated by ','");
        const size_t valueBegin = p + 1;
        int depth = 0;
        for (size_t k = valueBegin; k < close; ++k) {
            if (tokens_[k].isPunctuation("("))
                ++depth;
            if (tokens_[k].isPunctuation(")"))
                --depth;
            if (depth == 0 && tokens_[k].isPunctuation(","))
                return Status::failure("convert with a style argument is not supported");
        }
        if (valueBegin >= close)
            return Status::failure("convert without a value");
        append(sql, tokens_[i], "CAST(");
        std::string inner;
        if (Status s = emitRange(valueBegin, close, inner); !s)
            return s;
        sql += inner + " AS " + target + ")";
        return close;
    }

    const std::vector<Token>& tokens_;
    std::vector<std::string> values_;
};

// Exec name arg, arg, ...: each argument is a number (with its sign), a quoted text or a
// double-quoted text.
Status readProcedureCall(const std::vector<Token>& tokens, ProcedureCall& call) {
    size_t i = 1;
    if (i >= tokens.size() ||
        (tokens[i].kind != TokenKind::Identifier && tokens[i].kind != TokenKind::QuotedIdentifier))
        return Status::failure("Exec needs a procedure name");
    call.name = tokens[i++].text;
    // An owner prefix (dbo.name) names the same procedure.
    if (i + 1 < tokens.size() && tokens[i].isPunctuation(".") &&
        tokens[i + 1].kind == TokenKind::Identifier && !tokens[i].spaceBefore &&
        !tokens[i + 1].spaceBefore) {
        call.name = tokens[i + 1].text;
        i += 2;
    }
    while (i < tokens.size()) {
        ProcedureArgument arg;
        const Token& t = tokens[i];
        if (t.kind == TokenKind::String || t.kind == TokenKind::DoubleQuoted) {
            arg.kind = ProcedureArgument::Kind::Text;
            arg.text = t.text;
            ++i;
        } else if ((t.isPunctuation("-") || t.isPunctuation("+")) && i + 1 < tokens.size() &&
                   tokens[i + 1].kind == TokenKind::Number) {
            arg.text = (t.text == "-" ? "-" : "") + tokens[i + 1].text;
            i += 2;
        } else if (t.kind == TokenKind::Number) {
            arg.text = t.text;
            ++i;
        } else {
            return Status::failure("argument " + std::to_string(call.arguments.size() + 1) +
                                   " of " + call.name + " is not a number or a quoted text: '" +
                                   t.text + "'");
        }
        call.arguments.push_back(std::move(arg));
        if (i == tokens.size())
            break;
        if (!tokens[i].isPunctuation(",") || i + 1 == tokens.size())
            return Status::failure("malformed argument list of " + call.name + " after argument " +
                                   std::to_string(call.arguments.size()));
        ++i;
    }
    return {};
}

}  // namespace

std::string DialectStatement::describe() const {
    return describeSource(index, source);
}

Result<std::vector<DialectStatement>> translateBatch(std::string_view batch) {
    auto tokens = tokenize(batch);
    if (!tokens) {
        std::string quoted(batch.substr(0, MaxQuotedSource));
        if (batch.size() > MaxQuotedSource)
            quoted += "...";
        return Status::failure("cannot read the statements (" + quoted + "): " + tokens.message());
    }
    auto raw = split(batch, std::move(tokens).value());
    if (!raw)
        return raw.status();

    std::vector<DialectStatement> out;
    for (const RawStatement& r : raw.value()) {
        DialectStatement s;
        s.index = static_cast<int>(out.size() + 1);
        s.source = r.source;
        const Token& first = r.tokens.front();
        if (first.isWord("Exec") || first.isWord("Execute")) {
            s.isProcedure = true;
            if (Status st = readProcedureCall(r.tokens, s.call); !st)
                return statementFailure(s.index, s.source, st.message());
        } else if (isOneOf(first, StatementWords)) {
            Translator translator(r.tokens);
            if (Status st = translator.run(s); !st)
                return statementFailure(s.index, s.source, st.message());
        } else {
            return statementFailure(s.index, s.source,
                                    "unsupported statement '" + first.text + "'");
        }
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace kadrix::workstation::sql
