#include "sql_tokenizer.h"

#include <gtest/gtest.h>

namespace kadrix::workstation::sql {
namespace {

std::string describe(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) {
        const char* kind = "";
        switch (t.kind) {
            case TokenKind::Identifier:
                kind = "id";
                break;
            case TokenKind::QuotedIdentifier:
                kind = "qid";
                break;
            case TokenKind::DoubleQuoted:
                kind = "dq";
                break;
            case TokenKind::String:
                kind = "str";
                break;
            case TokenKind::Number:
                kind = "num";
                break;
            case TokenKind::Punctuation:
                kind = "p";
                break;
        }
        out += (out.empty() ? "" : " ") + std::string(kind) + ":" + t.text;
    }
    return out;
}

TEST(SqlTokenizer, ReadsTheDialectsTokens) {
    struct Case {
        const char* text;
        const char* tokens;
    } cases[] = {
        {"Select * From X Where ImageId = 5",
         "id:Select p:* id:From id:X id:Where id:ImageId p:= num:5"},
        {"'it''s' N'图注' ''", "str:it's str:图注 str:"},
        {"\"a\"\"b\" \" \"", "dq:a\"b dq: "},
        {"[Item Name]", "qid:Item Name"},
        {"1.5 .5 2e3 7e-2 10", "num:1.5 num:.5 num:2e3 num:7e-2 num:10"},
        {"a<=b a<>b a!=b a>=b", "id:a p:<= id:b id:a p:<> id:b id:a p:!= id:b id:a p:>= id:b"},
        {"count(*) + 1", "id:count p:( p:* p:) p:+ num:1"},
        {"A.ReportID", "id:A p:. id:ReportID"},
        {"x -- a remark\n y /* another */ z", "id:x id:y id:z"},
        {"姓名 ,'x'", "id:姓名 p:, str:x"},
        {"-1", "p:- num:1"},
    };
    for (const Case& c : cases) {
        auto tokens = tokenize(c.text);
        ASSERT_TRUE(tokens.ok()) << c.text << ": " << tokens.message();
        EXPECT_EQ(describe(*tokens), c.tokens) << c.text;
    }
}

TEST(SqlTokenizer, RecordsWhereTokensStandAndTheBlanksBetweenThem) {
    auto tokens = tokenize("count(*) + 1");
    ASSERT_TRUE(tokens.ok());
    EXPECT_FALSE(tokens.value()[1].spaceBefore);
    EXPECT_TRUE(tokens.value()[4].spaceBefore);
    EXPECT_EQ(tokens.value()[4].begin, 9u);
    EXPECT_EQ(tokens.value()[4].end, 10u);
}

TEST(SqlTokenizer, RefusesWhatIsNotTheDialect) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"Select 'open", "unterminated text value at offset 7"},
        {"Exec p 1,\"open", "unterminated double-quoted text at offset 9"},
        {"x /* open", "unterminated comment"},
        {"[open", "unterminated [name]"},
        {"ApplyNo = 5abc", "malformed number at offset 10"},
        {"ApplyNo = @id", "unexpected character '@'"},
        {"ApplyNo = ?", "unexpected character '?'"},
        {"ApplyNo = :id", "unexpected character ':'"},
        {"a || b", "unexpected character '|'"},
    };
    for (const Case& c : cases) {
        auto tokens = tokenize(c.text);
        ASSERT_FALSE(tokens.ok()) << c.text;
        EXPECT_NE(tokens.message().find(c.message), std::string::npos)
            << c.text << ": " << tokens.message();
    }
}

}  // namespace
}  // namespace kadrix::workstation::sql
