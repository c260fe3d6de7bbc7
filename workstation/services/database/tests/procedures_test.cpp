// The stored procedures: what each leaves in the result rows, and the arguments they refuse.
#include <gtest/gtest.h>

#include "procedures.h"
#include "test_database.h"

namespace kadrix::workstation::testing {
namespace {

class ProceduresTest : public ClinicDatabaseTest {
  protected:
    std::vector<std::string> results() {
        return rows(
            "Select ApplyNo, ItemCode, ItemName, ItemResult From Ris_Result Order By ApplyNo, "
            "ItemCode, ItemName");
    }
};

TEST_F(ProceduresTest, ASketchMarkReplacesTheImagesEarlierOne) {
    exec("Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1,1");
    exec("Exec rsp_SaveImgSketchMap 501,8,1,1,1,1,1,\" \",0,2");  // another image keeps its mark
    exec("Exec rsp_GrabPrintImages 501,9,0,'0001'");              // and the image its registration
    exec("Exec rsp_SaveImgSketchMap 501,9,-1,-1,-1,-1,65280,\"胃窦\",0,1");
    EXPECT_EQ(rows("Select ItemName, ItemResult From Ris_Result Where ApplyNo = 501 And ItemCode = "
                   "'9' Order By ItemName"),
              (std::vector<std::string>{"Caption|胃窦", "IsShape|0", "PosColor|65280", "PosX|-1",
                                        "PosXE|-1", "PosY|-1", "PosYE|-1", "SketchID|1"}));
    EXPECT_EQ(rows("Select count(*) From Ris_Result Where ItemCode = '8'"),
              std::vector<std::string>{"8"});
    EXPECT_EQ(rows("Select ItemName From Ris_Result Where ItemCode = 'Image'"),
              std::vector<std::string>{"PrintNo: 0001"});
}

TEST_F(ProceduresTest, CaptionsAreStoredIntact) {
    struct Case {
        const char* argument;
        const char* stored;
    } cases[] = {
        {"\" \"", " "},
        {"\"十二指肠球部\"", "十二指肠球部"},
        {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"\"it's\"", "it's"},
        {"\"a,b\"", "a,b"},
        {"\"x\"\",1,1 Delete From Ris_Result --\"", "x\",1,1 Delete From Ris_Result --"},
    };
    for (const Case& c : cases) {
        exec(std::string("Exec rsp_SaveImgSketchMap 501,9,1,2,3,4,5,") + c.argument + ",1,1");
        EXPECT_EQ(rows("Select ItemResult From Ris_Result Where ItemName = 'Caption'"),
                  std::vector<std::string>{c.stored})
            << c.argument;
        EXPECT_EQ(rows("Select count(*) From Ris_Result"), std::vector<std::string>{"8"})
            << c.argument;
    }
}

TEST_F(ProceduresTest, DeletingAnImageRemovesItsRegistrationAndWithTheFlagItsMark) {
    struct Case {
        const char* command;
        std::vector<std::string> left;
    } cases[] = {
        {"Exec Rsp_DoRisOnDelImage 501, 9, 1", {"501|8|IsShape|1", "501|Image|PrintNo: 0002|8"}},
        {"Exec Rsp_DoRisOnDelImage 501, 9, 0",
         {"501|8|IsShape|1", "501|9|IsShape|1", "501|Image|PrintNo: 0002|8"}},
        {"Exec Rsp_DoRisOnDelImage 502, 9, 1",
         {"501|8|IsShape|1", "501|9|IsShape|1", "501|Image|PrintNo: 0001|9",
          "501|Image|PrintNo: 0002|8"}},
    };
    for (const Case& c : cases) {
        exec("Delete From Ris_Result");
        exec(
            "Insert Into Ris_Result(ApplyNo,ItemCode,ItemName,ItemResult) Values "
            "(501,'9','IsShape','1') "
            "Insert Into Ris_Result(ApplyNo,ItemCode,ItemName,ItemResult) Values "
            "(501,'8','IsShape','1') "
            "Exec rsp_GrabPrintImages 501,9,0,'0001' Exec rsp_GrabPrintImages 501,8,0,'0002'");
        exec(c.command);
        EXPECT_EQ(results(), c.left) << c.command;
    }
}

TEST_F(ProceduresTest, PrintRegistrationsKeepOneRowPerImage) {
    struct Case {
        std::vector<const char*> commands;
        std::vector<std::string> registrations;
    } cases[] = {
        {{"Exec rsp_GrabPrintImages 501,9,0,'0005'"}, {"501|Image|PrintNo: 0005|9"}},
        {{"Exec rsp_GrabPrintImages 501,9,0,'0005'", "Exec rsp_GrabPrintImages 501,9,0,'0042'"},
         {"501|Image|PrintNo: 0042|9"}},
        {{"Exec rsp_GrabPrintImages 501,9,0,'01234'"}, {"501|Image|PrintNo: 01234|9"}},
        {{"Exec rsp_GrabPrintImages 501,9,0,''"}, {"501|Image|PrintNo: |9"}},
        {{"Exec rsp_GrabPrintImages 501, 9, 1"}, {"501|Image|PrintNo: 0001|9"}},
        {{"Exec rsp_GrabPrintImages 501,9,0,'0999'", "Exec rsp_GrabPrintImages 502,7,0,'2000'",
          "Exec rsp_GrabPrintImages 501, 10, 1"},
         {"501|Image|PrintNo: 01000|10", "501|Image|PrintNo: 0999|9", "502|Image|PrintNo: 2000|7"}},
    };
    for (const Case& c : cases) {
        exec("Delete From Ris_Result");
        for (const char* command : c.commands) exec(command);
        EXPECT_EQ(results(), c.registrations) << c.commands.back();
    }
}

TEST(PrintNumberText, HasFourDigitsBelowAThousand) {
    const std::pair<int, const char*> cases[] = {{0, "0000"},   {5, "0005"},   {42, "0042"},
                                                 {123, "0123"}, {999, "0999"}, {1000, "01000"},
                                                 {-1, ""}};
    for (const auto& [number, text] : cases)
        EXPECT_EQ(procedures::printNumberText(number), text) << number;
}

TEST_F(ProceduresTest, PatientListHoldsTheSystemsRegistrationsOfTheDaysForTheUser) {
    struct Registration {
        int32_t applyNo;
        double registered;
        const char* sysCode;
        const char* userId;
    } registrations[] = {
        {1, date(2024, 3, 4, 23, 59), "RIS", "u1"},  // the day before
        {2, date(2024, 3, 5, 0, 0), "RIS", "u1"},
        {3, date(2024, 3, 5, 23, 59), "RIS", ""},
        {4, date(2024, 3, 6, 12, 0), "ris", "U1"},
        {5, date(2024, 3, 7, 0, 0), "RIS", "u1"},  // the day after
        {6, date(2024, 3, 5, 10, 0), "PACS", "u1"},
        {7, date(2024, 3, 5, 11, 0), "RIS", "u2"},
    };
    for (const Registration& r : registrations) {
        PatientRegistration p;
        p.applyNo = r.applyNo;
        p.patName = "病人" + std::to_string(r.applyNo);
        p.patNameSpell = "bingren";
        p.techNo = "T" + std::to_string(r.applyNo);
        p.hospNo = "H" + std::to_string(r.applyNo);
        p.registered = r.registered;
        p.sysCode = r.sysCode;
        p.userId = r.userId;
        ASSERT_TRUE(db->registerPatient(p).ok());
    }
    struct Case {
        const char* call;
        std::vector<std::string> applyNos;
    } cases[] = {
        {"Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'u1' ,''", {"2", "3"}},
        {"Exec rsp_GetPatList '2024-03-05',  '2024-03-06',  0,0, 'RIS', 'u1' ,''", {"2", "3", "4"}},
        {"Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'u2' ,''", {"7", "3"}},
        {"Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'PACS', 'u1' ,''", {"6"}},
        {"Exec rsp_GetPatList '2024-03-06',  '2024-03-05',  0,0, 'RIS', 'u1' ,''", {}},
        {"Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS'' or 1=1 --', 'u1' ,''", {}},
    };
    for (const Case& c : cases) {
        auto packet = db->openSql(c.call);
        ASSERT_TRUE(packet.ok()) << packet.message();
        EXPECT_EQ(columnNames(*packet), (std::vector<std::string>{"姓名", "PatNameSpell", "TechNo",
                                                                  "HospNo", "ApplyNo"}));
        std::vector<std::string> applyNos;
        for (const auto& row : packet->rows) applyNos.push_back(row[4].toText());
        EXPECT_EQ(applyNos, c.applyNos) << c.call;
    }
}

TEST_F(ProceduresTest, RefusesWrongArgumentsAndChangesNothing) {
    exec(
        "Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1,1 Exec rsp_GrabPrintImages "
        "501,9,0,'0005'");
    const std::vector<std::string> before = snapshot();
    struct Case {
        const char* batch;
        const char* message;
    } cases[] = {
        {"Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1",
         "statement 1 (Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1): "
         "rsp_SaveImgSketchMap takes 10 "
         "arguments (rsp_SaveImgSketchMap applyNo, imageId, PosX, PosY, PosXE, PosYE, PosColor, "
         "caption, IsShape, "
         "SketchID), not 9"},
        {"Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1,1,1", "takes 10 arguments"},
        {"Exec rsp_SaveImgSketchMap 501,9,1.5,20,30,40,255,\"c\",1,1",
         "argument PosX must be a whole number, not '1.5'"},
        {"Exec rsp_SaveImgSketchMap 501,'9',1,20,30,40,255,\"c\",1,1",
         "argument imageId must be a whole number"},
        {"Exec rsp_SaveImgSketchMap 501,9,1,20,30,40,255,7,1,1",
         "argument caption must be a quoted text"},
        {"Exec rsp_SaveImgSketchMap 501,9,1,20,30,40,255,\"c\",2,1",
         "argument IsShape must be 0 or 1"},
        {"Exec rsp_SaveImgSketchMap 99999999999,9,1,20,30,40,255,\"c\",1,1",
         "argument applyNo must be a whole number"},
        {"Exec Rsp_DoRisOnDelImage 501, 9", "Rsp_DoRisOnDelImage takes 3 arguments"},
        {"Exec rsp_GrabPrintImages 501,9", "rsp_GrabPrintImages takes 3 to 4 arguments"},
        {"Exec rsp_GrabPrintImages 501,9,0", "the print number is missing"},
        {"Exec rsp_GrabPrintImages 501,9,1,'0005'", "an imported image takes no print number"},
        {"Exec rsp_GrabPrintImages 501,9,0,'5 or 1=1'",
         "argument printNumber must be a quoted print number"},
        {"Exec rsp_GetPatList '2024-03-05', '2024-03-05', 0,0, 'RIS', 'u1'",
         "rsp_GetPatList takes 7 arguments"},
        {"Exec rsp_GetPatList '2024-13-45', '2024-03-05', 0,0, 'RIS', 'u1',''",
         "argument from must be a quoted date"},
        {"Exec rsp_GetPatList 20240305, '2024-03-05', 0,0, 'RIS', 'u1',''",
         "argument from must be a quoted date"},
        {"Exec rsp_DropEverything 1", "unknown procedure 'rsp_DropEverything'"},
        // The first statement would run, but the batch is refused before it does.
        {"Exec Rsp_DoRisOnDelImage 501, 9, 1 Exec rsp_GrabPrintImages 501,9",
         "statement 2 (Exec rsp_GrabPrintImages 501,9)"},
    };
    for (const Case& c : cases) {
        Status s = db->execSql(c.batch);
        ASSERT_FALSE(s.ok()) << c.batch;
        EXPECT_NE(s.message().find(c.message), std::string::npos)
            << c.batch << "\n  " << s.message();
        EXPECT_EQ(snapshot(), before) << c.batch;
    }
}

TEST_F(ProceduresTest, NamesCompareWithoutRegardToCase) {
    exec(
        "exec RSP_GRABPRINTIMAGES 501,9,0,'0005' EXECUTE dbo.rsp_savEimgsketchmap "
        "501,9,1,2,3,4,5,\"c\",1,1");
    EXPECT_EQ(rows("Select count(*) From Ris_Result"), std::vector<std::string>{"9"});
}

}  // namespace
}  // namespace kadrix::workstation::testing
