// The database as a store: its file and schema, transactions, serial numbers shared between
// programs, the settings and rights stores, and statements it refuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "test_database.h"

namespace kadrix::workstation::testing {
namespace {

using ClinicDatabaseFile = ClinicDatabaseTest;

TEST_F(ClinicDatabaseFile, IsCreatedWithItsSchemaAndKeepsWhatWasStored) {
    EXPECT_TRUE(std::filesystem::exists(file()));
    EXPECT_EQ(rows("Select Version From Kx_SchemaVersion"), std::vector<std::string>{"1"});
    ASSERT_TRUE(db->addInstrument({1, "WJ01", "胃镜室"}).ok());
    ASSERT_TRUE(db->setSetting("Images\\RIS", "TempPath", "/tmp/x").ok());
    db = open();
    EXPECT_EQ(rows("Select InstCode From Instrument"), std::vector<std::string>{"WJ01"});
    EXPECT_EQ(db->setting("Images\\RIS", "TempPath").value(), "/tmp/x");
    EXPECT_EQ(rows("Select Version From Kx_SchemaVersion"), std::vector<std::string>{"1"});
}

TEST_F(ClinicDatabaseFile, RefusesASchemaNewerThanItKnows) {
    exec("Update Kx_SchemaVersion Set Version = 7");
    db.reset();
    auto opened = openClinicDatabase(file());
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.message().find("schema version 7, newer than this program's 1"),
              std::string::npos)
        << opened.message();
}

TEST(ClinicDatabaseOpen, RefusesAFileThatIsNoDatabaseAndLeavesItAlone) {
    TemporaryFolder folder;
    const auto path = folder.path() / "notes.db";
    const std::string content(4096, 'x');
    std::ofstream(path, std::ios::binary) << content;
    auto opened = openClinicDatabase(path);
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.message().find("cannot open the clinic database"), std::string::npos);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);

    EXPECT_FALSE(openClinicDatabase(folder.path() / "missing" / "clinic.db").ok());
}

using Transactions = ClinicDatabaseTest;

const char* const Edits =
    "Delete From RIS_ImageProcessInfo Where ImageId = 77 Delete From RIS_ImageProcessArrowInfo "
    "Where ImageId = 77 "
    "Delete From Ris_ImageMeasureInfo Where ImageId = 77 Insert Into "
    "RIS_ImageProcessInfo(ImageID,EditTime,KeepWH,ClipFlag,ClipTop,ClipLeft,ClipWidth,ClipHeight, "
    "QualityFlag,Brightness,Contrast,Saturation,Hue,LineFlag,MeasureFlag) Values "
    "(77,getdate(),0,0,0,0,0,0,0,0,0,0,0,1,0)";
const char* const Arrow =
    "Insert Into "
    "RIS_ImageProcessArrowInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,"
    "LineColor) "
    "values (77,getdate(),1,2,30,40,3,255)";
const char* const Counts =
    "Select (Select count(*) From RIS_ImageProcessInfo) as Records, (Select count(*) From "
    "RIS_ImageProcessArrowInfo) as "
    "Arrows";

TEST_F(Transactions, ARolledBackSaveLeavesNothing) {
    ASSERT_TRUE(db->beginTransaction().ok());
    exec(Edits);
    exec(Arrow);
    EXPECT_EQ(rows(Counts), std::vector<std::string>{"1|1"});
    ASSERT_TRUE(db->rollbackTransaction().ok());
    EXPECT_EQ(rows(Counts), std::vector<std::string>{"0|0"});
}

TEST_F(Transactions, AFailingStatementLeavesTheTransactionToTheCaller) {
    struct Case {
        bool commit;
        const char* left;
    } cases[] = {{false, "0|0"}, {true, "1|1"}};
    for (const Case& c : cases) {
        exec("Delete From RIS_ImageProcessInfo Delete From RIS_ImageProcessArrowInfo");
        ASSERT_TRUE(db->beginTransaction().ok());
        exec(Edits);
        // A row the arrow table refuses (no begin point): that statement alone is undone.
        EXPECT_FALSE(db->execSql(std::string(Arrow) +
                                 " Insert Into RIS_ImageProcessArrowInfo(ImageID) values (77)")
                         .ok());
        EXPECT_EQ(rows(Counts), std::vector<std::string>{"1|1"});
        ASSERT_TRUE((c.commit ? db->commitTransaction() : db->rollbackTransaction()).ok());
        EXPECT_EQ(rows(Counts), std::vector<std::string>{c.left}) << c.commit;
    }
}

TEST_F(Transactions, AreInvisibleToOthersUntilCommitted) {
    auto other = open();
    ASSERT_TRUE(db->beginTransaction().ok());
    exec(Edits);
    auto seen = other->openSql(Counts);
    ASSERT_TRUE(seen.ok()) << seen.message();
    EXPECT_EQ(renderRows(*seen), std::vector<std::string>{"0|0"});
    ASSERT_TRUE(db->commitTransaction().ok());
    seen = other->openSql(Counts);
    EXPECT_EQ(renderRows(*seen), std::vector<std::string>{"1|0"});
}

TEST_F(Transactions, OpenAndCloseInPairs) {
    EXPECT_FALSE(db->commitTransaction().ok());
    EXPECT_FALSE(db->rollbackTransaction().ok());
    ASSERT_TRUE(db->beginTransaction().ok());
    EXPECT_FALSE(db->beginTransaction().ok());
    EXPECT_TRUE(db->commitTransaction().ok());
}

TEST_F(Transactions, OutsideOneTheStatementsBeforeAFailingOneStayApplied) {
    Status s =
        db->execSql(std::string(Edits) + " Insert Into RIS_ImageProcessInfo(ImageID) Values (77)");
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find(
                  "statement 5 (Insert Into RIS_ImageProcessInfo(ImageID) Values (77)): UNIQUE"),
              std::string::npos)
        << s.message();
    EXPECT_EQ(rows(Counts), std::vector<std::string>{"1|0"});
}

using SerialNumbers = ClinicDatabaseTest;

TEST_F(SerialNumbers, FollowEachOtherPerCounter) {
    EXPECT_EQ(db->nextSerial("ImageUID", 1).value(), 1);
    EXPECT_EQ(db->nextSerial("ImageUID", 1).value(), 2);
    EXPECT_EQ(db->nextSerial("ImageUID", 5).value(), 3);
    EXPECT_EQ(db->nextSerial("imageuid", 1).value(), 8);
    EXPECT_EQ(db->nextSerial("ApplyNo", 1).value(), 1);
    for (int32_t count : {0, -1}) EXPECT_FALSE(db->nextSerial("ImageUID", count).ok()) << count;
    EXPECT_FALSE(db->nextSerial("", 1).ok());
    exec("Update Kx_SerialCounter Set NextValue = 2147483647 Where Name = 'ApplyNo'");
    EXPECT_EQ(db->nextSerial("ApplyNo", 1).value(), 2147483647);
    EXPECT_FALSE(db->nextSerial("ApplyNo", 1).ok());
}

TEST_F(SerialNumbers, AreDrawnInsideTheCallersTransaction) {
    ASSERT_TRUE(db->beginTransaction().ok());
    EXPECT_EQ(db->nextSerial("ImageUID", 1).value(), 1);
    ASSERT_TRUE(db->rollbackTransaction().ok());
    EXPECT_EQ(db->nextSerial("ImageUID", 1).value(), 1);
}

TEST_F(SerialNumbers, NeverRepeatAcrossProcesses) {
    constexpr int Draws = 150;
    db.reset();  // each process opens its own connection
    int pipes[2][2];
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        ASSERT_EQ(pipe(pipes[child]), 0);
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            close(pipes[child][0]);
            auto mine = openClinicDatabase(file());
            if (!mine)
                _exit(2);
            // The second process reserves ranges of three, so ranges must not overlap either.
            const int32_t count = child == 0 ? 1 : 3;
            for (int i = 0; i < Draws; ++i) {
                auto first = mine.value()->nextSerial("ImageUID", count);
                if (!first)
                    _exit(3);
                for (int32_t k = 0; k < count; ++k) {
                    const int32_t v = *first + k;
                    if (write(pipes[child][1], &v, sizeof v) != sizeof v)
                        _exit(4);
                }
            }
            _exit(0);
        }
        close(pipes[child][1]);
    }
    std::vector<int32_t> all;
    for (int child = 0; child < 2; ++child) {
        int32_t v;
        while (read(pipes[child][0], &v, sizeof v) == sizeof v) all.push_back(v);
        close(pipes[child][0]);
        int status = 0;
        waitpid(children[child], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "child " << child << " status " << status;
    }
    ASSERT_EQ(all.size(), static_cast<size_t>(Draws * 4));
    const std::set<int32_t> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size());
    EXPECT_EQ(*distinct.begin(), 1);
    EXPECT_EQ(*distinct.rbegin(), Draws * 4);
}

using Stores = ClinicDatabaseTest;

TEST_F(Stores, SettingsAreTextsBySectionAndKey) {
    EXPECT_EQ(db->setting("AddNewPath", "OperMode").value(), "");
    ASSERT_TRUE(db->setSetting("AddNewPath", "OperMode", "1").ok());
    ASSERT_TRUE(db->setSetting("AddNewPath", "OperMode", "0").ok());
    ASSERT_TRUE(db->setSetting("Images\\RIS", "TempPath", "D:\\it's \"here\"").ok());
    EXPECT_EQ(db->setting("addnewpath", "opermode").value(), "0");
    EXPECT_EQ(db->setting("Images\\RIS", "TempPath").value(), "D:\\it's \"here\"");
    EXPECT_EQ(db->setting("Images\\RIS", "' or 1=1 --").value(), "");
    EXPECT_EQ(db->setting("Images\\Default", "TempPath").value(), "");
}

TEST_F(Stores, RightsAreGrantedPerSystemModuleAndUser) {
    ASSERT_TRUE(db->grantRight("RIS", "right_ImageList", "u1", "DelImages", 1).ok());
    ASSERT_TRUE(db->grantRight("RIS", "right_ImageList", "u2", "DelImages", 1).ok());
    ASSERT_TRUE(db->grantRight("RIS", "right_ImageList", "u2", "DelImages", 0).ok());
    struct Case {
        const char *sysCode, *userId, *right;
        int32_t value;
    } cases[] = {
        {"RIS", "u1", "DelImages", 1},  {"ris", "U1", "delimages", 1},
        {"RIS", "u2", "DelImages", 0},  {"RIS", "u1", "SetImages", 0},
        {"PACS", "u1", "DelImages", 0}, {"RIS", "' or 1=1 --", "DelImages", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(db->right(c.sysCode, "right_ImageList", c.userId, c.right).value(), c.value)
            << c.sysCode << " " << c.userId << " " << c.right;
    EXPECT_EQ(db->right("RIS", "right_Other", "u1", "DelImages").value(), 0);
}

TEST_F(Stores, RegistrationsAreReadBack) {
    PatientRegistration p;
    p.applyNo = 7;
    p.reportId = 3;
    p.techNo = "US7";
    p.hospNo = "H7";
    p.patName = "O'Neil 欧";
    p.patNameSpell = "ouneier";
    p.modality = "US";
    p.age = 3;
    p.ageUnit = "月";
    p.sex = 2;
    p.birthday = date(2023, 12, 1);
    p.registered = date(2024, 3, 5, 8, 0);
    p.sysCode = "RIS";
    p.userId = "u1";
    ASSERT_TRUE(db->registerPatient(p).ok());
    EXPECT_FALSE(db->registerPatient(p).ok());  // the application number is taken
    p.applyNo = 0;
    EXPECT_FALSE(db->registerPatient(p).ok());
    auto found = db->registrations("RIS", date(2024, 3, 5), date(2024, 3, 5));
    ASSERT_TRUE(found.ok()) << found.message();
    ASSERT_EQ(found->size(), 1u);
    const PatientRegistration& r = found->front();
    EXPECT_EQ(r.applyNo, 7);
    EXPECT_EQ(r.patName, "O'Neil 欧");
    EXPECT_EQ(r.ageUnit, "月");
    EXPECT_EQ(r.birthday, date(2023, 12, 1));
    EXPECT_EQ(r.registered, date(2024, 3, 5, 8, 0));
    EXPECT_TRUE(db->registrations("RIS", date(2024, 3, 6), date(2024, 3, 6))->empty());
    EXPECT_EQ(rows("Select PatName From Ris_List Where ApplyNo=7"),
              std::vector<std::string>{"O'Neil 欧"});
}

using RefusedStatements = ClinicDatabaseTest;

TEST_F(RefusedStatements, FailNamingTheStatementAndChangeNothing) {
    exec(
        "Insert Into Ris_Result(ApplyNo,ItemCode,ItemName,ItemResult) Values "
        "(501,'Image','PrintNo: 0001','9')");
    const std::vector<std::string> before = snapshot();
    struct Case {
        const char* batch;
        const char* message;
    } cases[] = {
        {"Delete From Ris_Result Where ApplyNo = 501 Drop Table Ris_Result",
         "statement 2 (Drop Table Ris_Result): unsupported statement 'Drop'"},
        {"Delete From Ris_Result Where ApplyNo = 501 Select * From NoSuchTable",
         "statement 2 (Select * From NoSuchTable): no such table: NoSuchTable"},
        {"Delete From Ris_Result Where ApplyNo = (501", "unbalanced parentheses"},
        {"Delete From Ris_Result Where ApplyNo = 501abc", "malformed number"},
        {"Delete From Ris_Result Where ApplyNo = @applyNo", "unexpected character '@'"},
        {"Delete From Ris_Result Where ItemCode = \"Image\"", "no such column: Image"},
        {"Delete From Ris_Result Where ApplyNo = ",
         "statement 1 (Delete From Ris_Result Where ApplyNo =)"},
        {"Select * From Ris_Result Where ApplyNo = 501 Update Ris_Result Set NoColumn = 1",
         "no such column: NoColumn"},
        {"Insert Into Ris_Result(ApplyNo) Select 1 Union Select 2; Attach Database 'x.db' As x",
         "unsupported statement 'Attach'"},
        {"Select * From Ris_Result Where ApplyNo In (Select ApplyNo From Ris_Result Where 1 = 1",
         "unbalanced parentheses"},
    };
    for (const Case& c : cases) {
        Status s = db->execSql(c.batch);
        ASSERT_FALSE(s.ok()) << c.batch;
        EXPECT_NE(s.message().find(c.message), std::string::npos)
            << c.batch << "\n  " << s.message();
        EXPECT_EQ(snapshot(), before) << c.batch;
        EXPECT_FALSE(db->openSql(c.batch).ok()) << c.batch;
    }
}

TEST_F(RefusedStatements, NumberColumnsTakeOnlyNumbers) {
    const char* const arrow =
        "Insert Into "
        "RIS_ImageProcessArrowInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,"
        "LineColor) "
        "values (";
    struct Case {
        std::string values;
        bool stored;
    } cases[] = {
        {"77,getdate(),1,2,30,40,3,255)", true},
        {"'77',getdate(),1,2,30,40,3,255)", true},  // the server converts a quoted number too
        {"'abc',getdate(),1,2,30,40,3,255)", false},
        {"77,getdate(),1,2,30,40,'3 px',255)", false},
        {"77,getdate(),1.5,2,30,40,3,255)", false},
    };
    for (const Case& c : cases) {
        exec("Delete From RIS_ImageProcessArrowInfo");
        Status s = db->execSql(arrow + c.values);
        EXPECT_EQ(s.ok(), c.stored) << c.values << ": " << s.message();
        if (!c.stored) {
            EXPECT_NE(s.message().find("CHECK constraint failed"), std::string::npos)
                << s.message();
        }
        EXPECT_EQ(rows("Select ImageID From RIS_ImageProcessArrowInfo"),
                  c.stored ? std::vector<std::string>{"77"} : std::vector<std::string>{})
            << c.values;
    }
    EXPECT_FALSE(
        db->execSql("Update Ris_ImageMeasureInfo Set MeasureValue = 'x' Where 1 = 1 "
                    "Insert Into Ris_Result(ApplyNo,ItemCode,ItemName) Values ('x','a','b')")
            .ok());
    EXPECT_FALSE(
        db->execSql("Insert Into Ris_Result(ApplyNo,ItemCode,ItemName) Values ('x','a','b')").ok());
}

TEST_F(RefusedStatements, AQuotedValueStaysAValue) {
    exec(
        "Insert Into Ris_Result(ApplyNo,ItemCode,ItemName,ItemResult) Values "
        "(501,'Image','PrintNo: 0001','9')");
    struct Case {
        const char* batch;
        const char* stored;  // the Memo the batch leaves, or null when it stores none
    } cases[] = {
        {"Insert Into "
         "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,"
         "iType,Memo) "
         "values (1,getdate(),0,0,0,0,0,3,'x''); Delete From Ris_Result; --')",
         "x'); Delete From Ris_Result; --"},
        {"Insert Into "
         "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,"
         "iType,Memo) "
         "values (1,getdate(),0,0,0,0,0,3,'Exec Rsp_DoRisOnDelImage 501, 9, 1')",
         "Exec Rsp_DoRisOnDelImage 501, 9, 1"},
        {"Insert Into "
         "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,"
         "iType,Memo) "
         "values (1,getdate(),0,0,0,0,0,3,'?1 '' \" [x] -- /*')",
         "?1 ' \" [x] -- /*"},
        // A quoted condition that would match every row if it reached the statement.
        {"Delete From Ris_ImageMeasureInfo Where Memo = 'x'' or ''1''=''1'", "kept"},
    };
    for (const Case& c : cases) {
        exec("Delete From Ris_ImageMeasureInfo");
        if (std::string(c.batch).rfind("Delete", 0) == 0)
            exec("Insert Into Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,"
                 "MeasureValue,iType,Memo) values (1,getdate(),0,0,0,0,0,3,'kept')");
        exec(c.batch);
        EXPECT_EQ(rows("Select Memo From Ris_ImageMeasureInfo"),
                  c.stored ? std::vector<std::string>{c.stored} : std::vector<std::string>{})
            << c.batch;
        EXPECT_EQ(rows("Select count(*) From Ris_Result"), std::vector<std::string>{"1"})
            << c.batch;
    }
    EXPECT_TRUE(rows("Select PatName From Ris_List Where PatName = 'x'' or ''1''=''1'").empty());
}

}  // namespace
}  // namespace kadrix::workstation::testing
