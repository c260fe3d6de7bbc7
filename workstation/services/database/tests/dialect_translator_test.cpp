#include "dialect_translator.h"

#include <gtest/gtest.h>

namespace kadrix::workstation::sql {
namespace {

std::vector<std::string> sqlOf(const std::vector<DialectStatement>& statements) {
    std::vector<std::string> out;
    for (const DialectStatement& s : statements)
        out.push_back(s.isProcedure ? "EXEC " + s.call.name : s.sql);
    return out;
}

TEST(DialectTranslator, SplitsABatchAtStatementKeywords) {
    struct Case {
        const char* batch;
        std::vector<std::string> sources;
    } cases[] = {
        {"Delete From A Where ImageId = 5 Delete From B Where ImageId = 5",
         {"Delete From A Where ImageId = 5", "Delete From B Where ImageId = 5"}},
        {"Delete From A Where x = 1 Insert Into A(x) Values (1) Exec p 1",
         {"Delete From A Where x = 1", "Insert Into A(x) Values (1)", "Exec p 1"}},
        {"select a from T where b in (select c from U where d in (select e from V))",
         {"select a from T where b in (select c from U where d in (select e from V))"}},
        {"Insert Into A(x) Select y From B Select 1",
         {"Insert Into A(x) Select y From B", "Select 1"}},
        {"Select 1 Union All Select 2 Union Select 3",
         {"Select 1 Union All Select 2 Union Select 3"}},
        {"Update A Set x = 1; ; Select x From A;", {"Update A Set x = 1", "Select x From A"}},
        {"Select 'Delete From A' From B", {"Select 'Delete From A' From B"}},
        {"   ", {}},
    };
    for (const Case& c : cases) {
        auto statements = translateBatch(c.batch);
        ASSERT_TRUE(statements.ok()) << c.batch << ": " << statements.message();
        std::vector<std::string> sources;
        for (const DialectStatement& s : *statements) sources.push_back(s.source);
        EXPECT_EQ(sources, c.sources) << c.batch;
    }
}

TEST(DialectTranslator, RewritesTheDialectsFunctionsAndBindsTexts) {
    struct Case {
        const char* statement;
        const char* sql;
        std::vector<std::string> values;
    } cases[] = {
        {"Select IsNull(Modality,'') Modality From T",
         "Select ifnull(Modality,?1) Modality From T",
         {""}},
        {"Insert Into T(a,EditTime) values (1,getdate())",
         "Insert Into T(a,EditTime) values (1,kx_now())",
         {}},
        {"Delete from R where ItemResult = convert(varchar(80),9 ) ",
         "Delete from R where ItemResult = CAST(9 AS TEXT)",
         {}},
        {"Select convert(int, convert(varchar(10), x)) From T",
         "Select CAST(CAST(x AS TEXT) AS INTEGER) From T",
         {}},
        {"Select Upper(RTrim(ItemCode)) as ItemCode From R",
         "Select upper(rtrim(ItemCode)) as ItemCode From R",
         {}},
        {"Select Case Sex when 1 then 'M' when 2  then 'F' end Sex From T",
         "Select Case Sex when 1 then ?1 when 2 then ?2 end Sex From T",
         {"M", "F"}},
        {"Select x From T Where n = 'it''s' or n = '?2'",
         "Select x From T Where n = ?1 or n = ?2",
         {"it's", "?2"}},
        {"Select count(*) as 'n' From T", "Select count(*) as \"n\" From T", {}},
        {"Select [Item Name], \"x\"\"y\" From T", "Select \"Item Name\", \"x\"\"y\" From T", {}},
        {"Delete T Where a = 1", "Delete FROM T Where a = 1", {}},
        {"Insert T(a) Values (1)", "Insert INTO T(a) Values (1)", {}},
        // Functions whose meaning differs on SQLite are left for it to refuse.
        {"Select Len(x), Substring(x, 1, 2) From T", "Select Len(x), Substring(x, 1, 2) From T", {}},
    };
    for (const Case& c : cases) {
        auto statements = translateBatch(c.statement);
        ASSERT_TRUE(statements.ok()) << c.statement << ": " << statements.message();
        ASSERT_EQ(statements->size(), 1u) << c.statement;
        EXPECT_EQ(statements.value()[0].sql, c.sql);
        EXPECT_EQ(statements.value()[0].textValues, c.values) << c.statement;
    }
}

TEST(DialectTranslator, ReadsProcedureArgumentsAsValues) {
    auto statements =
        translateBatch("Exec rsp_SaveImgSketchMap 7,-1,3,\"a \"\"b\"\" 'c'\",'d',1.5");
    ASSERT_TRUE(statements.ok()) << statements.message();
    const ProcedureCall& call = statements.value()[0].call;
    EXPECT_EQ(call.name, "rsp_SaveImgSketchMap");
    using K = ProcedureArgument::Kind;
    const std::vector<std::pair<K, std::string>> expected = {
        {K::Number, "7"},         {K::Number, "-1"}, {K::Number, "3"},
        {K::Text, "a \"b\" 'c'"}, {K::Text, "d"},    {K::Number, "1.5"}};
    ASSERT_EQ(call.arguments.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(call.arguments[i].kind, expected[i].first) << i;
        EXPECT_EQ(call.arguments[i].text, expected[i].second) << i;
    }

    auto owned = translateBatch("Execute dbo.rsp_GrabPrintImages 1, 2, 1");
    ASSERT_TRUE(owned.ok()) << owned.message();
    EXPECT_EQ(owned.value()[0].call.name, "rsp_GrabPrintImages");
    EXPECT_EQ(sqlOf(*owned), std::vector<std::string>{"EXEC rsp_GrabPrintImages"});
}

TEST(DialectTranslator, RefusesUnknownSyntaxNamingTheStatement) {
    struct Case {
        const char* batch;
        const char* message;
    } cases[] = {
        {"Delete From A Where x = 5 Drop Table A",
         "statement 2 (Drop Table A): unsupported statement 'Drop'"},
        {"Truncate Table A", "statement 1 (Truncate Table A): unsupported statement 'Truncate'"},
        {"Select 1 Pragma writable_schema = 1",
         "statement 2 (Pragma writable_schema = 1): unsupported statement"},
        {"From A Select 1", "statement 1 (From A): unsupported statement 'From'"},
        {"Delete From A Where x = 1 Delete From B Where x in (1",
         "statement 2 (Delete From B Where x in (1): unbalanced"},
        {"Select (1))", "statement 1 (Select (1))): unbalanced parentheses"},
        {"Exec", "statement 1 (Exec): Exec needs a procedure name"},
        {"Exec p 1,,2", "argument 2 of p is not a number or a quoted text: ','"},
        {"Exec p 1,", "malformed argument list of p after argument 1"},
        {"Exec p 1 2", "malformed argument list of p after argument 1"},
        {"Exec p abc", "argument 1 of p is not a number or a quoted text: 'abc'"},
        {"Exec p (1)", "argument 1 of p is not a number or a quoted text: '('"},
        {"Select convert(varchar(8), x, 112) From T",
         "convert with a style argument is not supported"},
        {"Select convert(blob, x) From T", "convert to the type 'blob' is not supported"},
        {"Select convert(x) From T", "convert to the type 'x' is not supported"},
        {"Select convert(int) From T", "convert needs a type and a value"},
        {"Select getdate(1)", "getdate() takes no arguments"},
        {"Select 'x", "cannot read the statements (Select 'x): unterminated text value"},
    };
    for (const Case& c : cases) {
        auto statements = translateBatch(c.batch);
        ASSERT_FALSE(statements.ok()) << c.batch;
        EXPECT_NE(statements.message().find(c.message), std::string::npos)
            << c.batch << "\n  " << statements.message();
    }
}

}  // namespace
}  // namespace kadrix::workstation::sql
