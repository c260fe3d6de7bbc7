#include "sql_tokenizer.h"

#include <cctype>

namespace kadrix::workstation::sql {
namespace {

using platform::Result;
using platform::Status;

bool isIdentifierStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool isIdentifierPart(unsigned char c) {
    return isIdentifierStart(c) || std::isdigit(c) || c == '$';
}
bool isDigit(unsigned char c) {
    return std::isdigit(c) != 0;
}

Status failAt(size_t offset, const std::string& what) {
    return Status::failure(what + " at offset " + std::to_string(offset));
}

// Reads a quoted run starting at the opening quote; a doubled quote stands for one.
Result<std::string> readQuoted(std::string_view text, size_t& pos, char quote, const char* what) {
    const size_t start = pos;
    std::string value;
    ++pos;
    while (true) {
        if (pos >= text.size())
            return failAt(start, std::string("unterminated ") + what);
        const char c = text[pos++];
        if (c != quote) {
            value += c;
            continue;
        }
        if (pos < text.size() && text[pos] == quote) {
            value += quote;
            ++pos;
            continue;
        }
        return value;
    }
}

}  // namespace

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool Token::isWord(std::string_view word) const {
    return kind == TokenKind::Identifier && equalsNoCase(text, word);
}

Result<std::vector<Token>> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    size_t pos = 0;
    bool space = false;
    while (pos < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[pos]);
        if (std::isspace(c)) {
            ++pos;
            space = true;
            continue;
        }
        if (c == '-' && pos + 1 < text.size() && text[pos + 1] == '-') {
            while (pos < text.size() && text[pos] != '\n') ++pos;
            space = true;
            continue;
        }
        if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '*') {
            const size_t close = text.find("*/", pos + 2);
            if (close == std::string_view::npos)
                return failAt(pos, "unterminated comment");
            pos = close + 2;
            space = true;
            continue;
        }

        Token token;
        token.begin = pos;
        token.spaceBefore = space;
        space = false;
        if (c == '\'' ||
            ((c == 'N' || c == 'n') && pos + 1 < text.size() && text[pos + 1] == '\'')) {
            if (c != '\'')
                ++pos;
            auto value = readQuoted(text, pos, '\'', "text value");
            if (!value)
                return value.status();
            token.kind = TokenKind::String;
            token.text = std::move(value).value();
        } else if (c == '"') {
            auto value = readQuoted(text, pos, '"', "double-quoted text");
            if (!value)
                return value.status();
            token.kind = TokenKind::DoubleQuoted;
            token.text = std::move(value).value();
        } else if (c == '[') {
            const size_t close = text.find(']', pos + 1);
            if (close == std::string_view::npos)
                return failAt(pos, "unterminated [name]");
            token.kind = TokenKind::QuotedIdentifier;
            token.text = std::string(text.substr(pos + 1, close - pos - 1));
            pos = close + 1;
        } else if (isIdentifierStart(c)) {
            while (pos < text.size() && isIdentifierPart(static_cast<unsigned char>(text[pos])))
                ++pos;
            token.kind = TokenKind::Identifier;
            token.text = std::string(text.substr(token.begin, pos - token.begin));
        } else if (isDigit(c) || (c == '.' && pos + 1 < text.size() &&
                                  isDigit(static_cast<unsigned char>(text[pos + 1])))) {
            while (pos < text.size() && isDigit(static_cast<unsigned char>(text[pos]))) ++pos;
            if (pos < text.size() && text[pos] == '.') {
                ++pos;
                while (pos < text.size() && isDigit(static_cast<unsigned char>(text[pos]))) ++pos;
            }
            if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
                size_t exp = pos + 1;
                if (exp < text.size() && (text[exp] == '+' || text[exp] == '-'))
                    ++exp;
                if (exp < text.size() && isDigit(static_cast<unsigned char>(text[exp]))) {
                    pos = exp;
                    while (pos < text.size() && isDigit(static_cast<unsigned char>(text[pos])))
                        ++pos;
                }
            }
            if (pos < text.size() && isIdentifierPart(static_cast<unsigned char>(text[pos])))
                return failAt(token.begin, "malformed number");
            token.kind = TokenKind::Number;
            token.text = std::string(text.substr(token.begin, pos - token.begin));
        } else {
            static const std::string_view twoChar[] = {"<=", ">=", "<>", "!="};
            token.kind = TokenKind::Punctuation;
            for (std::string_view p : twoChar)
                if (text.substr(pos, 2) == p)
                    token.text = std::string(p);
            if (token.text.empty()) {
                if (std::string_view("(),.;=<>+-*/%").find(static_cast<char>(c)) ==
                    std::string_view::npos)
                    return failAt(
                        pos, std::string("unexpected character '") + static_cast<char>(c) + "'");
                token.text = std::string(1, static_cast<char>(c));
            }
            pos += token.text.size();
        }
        token.end = pos;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

}  // namespace kadrix::workstation::sql
