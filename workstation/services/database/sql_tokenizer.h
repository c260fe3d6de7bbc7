// Tokens of the clinic's SQL dialect. Statements arrive as plain text; everything the dialect
// layer does (splitting a batch, rewriting functions, reading procedure arguments) works on these
// tokens, so a quote or a keyword inside a text value can never change the statement's shape.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/status.h"

namespace kadrix::workstation::sql {

enum class TokenKind {
    Identifier,        // a name or keyword as written
    QuotedIdentifier,  // [name]; text holds the name
    DoubleQuoted,      // "text"; text holds the content with "" read as "
    String,            // 'text' or N'text'; text holds the value with '' read as '
    Number,            // 12, 1.5, .5, 2e3; text as written
    Punctuation,       // ( ) , . ; = < > <= >= <> != + - * / %
};

struct Token {
    TokenKind kind = TokenKind::Identifier;
    std::string text;
    size_t begin = 0;  // byte range in the source text
    size_t end = 0;
    bool spaceBefore = false;  // blanks or a comment separate it from the previous token

    bool isPunctuation(std::string_view p) const {
        return kind == TokenKind::Punctuation && text == p;
    }
    // A bare identifier equal to `word` without regard to case.
    bool isWord(std::string_view word) const;
};

// Fails on an unterminated string, caption or comment, a malformed number and characters the
// dialect has no use for (variables, parameters, ...), naming the offset.
platform::Result<std::vector<Token>> tokenize(std::string_view text);

bool equalsNoCase(std::string_view a, std::string_view b);

}  // namespace kadrix::workstation::sql
