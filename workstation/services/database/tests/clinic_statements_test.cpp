// The image module's statements exactly as it writes them (sample values spliced in), run
// against a small examination: what each query returns and what each command leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "kadrix/platform/client_dataset.h"
#include "test_database.h"

namespace kadrix::workstation::testing {
namespace {

using platform::FieldType;

class ClinicStatementsTest : public ClinicDatabaseTest {
  protected:
    void SetUp() override {
        ClinicDatabaseTest::SetUp();
        ASSERT_TRUE(db->addInstrument({12, "WJ01", "胃镜室"}).ok());
        ASSERT_TRUE(db->addInstrument({13, "BC01", "B超室"}).ok());
        for (const char* caption : {"胃体", "胃窦", "幽门"})
            ASSERT_TRUE(db->addCaption(12, caption).ok());
        ASSERT_TRUE(db->addCaption(13, "肝").ok());
        PatientRegistration p;
        p.applyNo = 501;
        p.reportId = 12;
        p.techNo = "ES0001";
        p.hospNo = "ZY001";
        p.patName = "张三";
        p.patNameSpell = "zhangsan";
        p.modality = "ES";
        p.age = 45;
        p.ageUnit = "岁";
        p.sex = 1;
        p.birthday = date(1980, 5, 6);
        p.registered = date(2024, 3, 5, 9, 30);
        p.sysCode = "RIS";
        p.userId = "u1";
        ASSERT_TRUE(db->registerPatient(p).ok());
        p.applyNo = 502;
        p.patName = "李四";
        p.sex = 2;
        ASSERT_TRUE(db->registerPatient(p).ok());
        exec("Update RIS_List Set Modality = null Where ApplyNo = 502");
    }
};

struct StatementCase {
    const char* what;
    std::vector<const char*> commands;  // the module's commands, run in order
    const char* query;                  // the module's query, or a check of the commands' effect
    std::vector<std::string> columns;   // empty: not checked
    std::vector<std::string> rows;
    bool ordered = false;  // the module relies on the order of the rows
};

const char* const SketchMark = "Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1,1";
const char* const PrintRegistration = "Exec rsp_GrabPrintImages 501,9,0,'0005'";
const char* const SaveEdits =
    "Delete From RIS_ImageProcessInfo Where ImageId = 77 Delete From RIS_ImageProcessArrowInfo "
    "Where ImageId = 77 "
    "Delete From Ris_ImageMeasureInfo Where ImageId = 77 Insert Into "
    "RIS_ImageProcessInfo(ImageID,EditTime,KeepWH,ClipFlag,ClipTop,ClipLeft,ClipWidth,ClipHeight, "
    "QualityFlag,Brightness,Contrast,Saturation,Hue,LineFlag,MeasureFlag) Values "
    "(77,getdate(),1,1,10,20,300,200,1,-5,10,0,0,1,1)";
const char* const Arrow =
    "Insert Into "
    "RIS_ImageProcessArrowInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,"
    "LineColor) "
    "values (77,getdate(),1,2,30,40,3,255)";
const char* const Measure =
    "Insert Into "
    "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,"
    "Memo) "
    "values (77,getdate(),0,0,100,0,12.5,1,'it''s 5mm')";
const char* const TextFlag =
    "Insert Into "
    "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,"
    "Memo) "
    "values (77,getdate(),5,6,0,0,0,3,'胃窦''s')";
const char* const Marks =
    "Select Upper(RTrim(ItemCode)) as ItemCode,Upper(Rtrim(ItemName)) as "
    "ItemName,RTrim(ItemResult) as ItemResult "
    "from ris_Result where ApplyNo=501 and (ItemName in "
    "('PosX','PosY','PosXE','PosYE','PosColor','Caption','isShape')  "
    "or (ItemCode='Image'))";
const char* const AllResults =
    "Select ItemCode, ItemName, ItemResult From Ris_Result Where ApplyNo = 501";

const std::vector<std::string> MarkRows = {"9|PosX|10",   "9|PosY|20",      "9|PosXE|30",
                                           "9|PosYE|40",  "9|PosColor|255", "9|Caption|胃体",
                                           "9|IsShape|1", "9|SketchID|1"};

const StatementCase Cases[] = {
    {"instrument of the examination",
     {},
     "SELECT B.InstCode,B.InstName,A.TechNo,A.PatName,A.Age,A.AgeUnit,A.Sex FROM RIS_List "
     "A,Instrument B where "
     "A.ApplyNo=501 and A.ReportID = B.InstID",
     {"InstCode", "InstName", "TechNo", "PatName", "Age", "AgeUnit", "Sex"},
     {"WJ01|胃镜室|ES0001|张三|45|岁|1"}},
    {"patient data for image headers",
     {},
     "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
     "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,Birthday,  "
     "Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a ,Instrument b where "
     "a.ApplyNo=501 and "
     "A.ReportID = B.InstID ",
     {"ReportID", "InstCode", "Modality", "TechNo", "Birthday", "HospNo", "PatName", "Age",
      "AgeUnit", "Birthday_1", "Sex"},
     {"12|WJ01|ES|ES0001|1980-05-06|ZY001|张三|45|岁|1980-05-06|M"}},
    {"patient data without a modality",
     {},
     "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
     "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,Birthday,  "
     "Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a ,Instrument b where "
     "a.ApplyNo=502 and "
     "A.ReportID = B.InstID ",
     {},
     {"12|WJ01||ES0001|1980-05-06|ZY001|李四|45|岁|1980-05-06|F"}},
    {"report id", {}, "select ReportID from Ris_List where ApplyNo = 501", {"ReportID"}, {"12"}},
    {"report id of no examination",
     {},
     "select ReportID from Ris_List where ApplyNo = 999",
     {"ReportID"},
     {}},
    {"caption choices of the sketch panel",
     {},
     "select ItemName from RIS_SpecialItemDic  where Parent in (select ItemID from "
     "RIS_SpecialItemDic  where Parent in "
     "(select ItemID from RIS_SpecialItemDic where ItemCode = 12) and ItemName = '图注' )",
     {"ItemName"},
     {"胃体", "胃窦", "幽门"},
     true},
    {"sketch mark of an image", {SketchMark}, AllResults, {}, MarkRows},
    {"sketch marks and print registrations of the examination",
     {SketchMark, PrintRegistration},
     Marks,
     {"ItemCode", "ItemName", "ItemResult"},
     {"9|POSX|10", "9|POSY|20", "9|POSXE|30", "9|POSYE|40", "9|POSCOLOR|255", "9|CAPTION|胃体",
      "9|ISSHAPE|1", "IMAGE|PRINTNO: 0005|9"}},
    {"existing sketch id of an image",
     {SketchMark},
     "select ItemResult from Ris_Result where ApplyNo = 501 and ItemName = 'SketchID' and ItemCode "
     "= '9'",
     {"ItemResult"},
     {"1"}},
    {"next sketch id",
     {SketchMark},
     "select count(*) + 1 as nCount from Ris_Result where ApplyNo = 501 and ItemName = 'IsShape'",
     {"nCount"},
     {"2"}},
    {"deleting a stored image's registrations",
     {SketchMark, PrintRegistration, "Exec Rsp_DoRisOnDelImage 501, 9, 1"},
     AllResults,
     {},
     {}},
    {"registering an image for printing",
     {PrintRegistration},
     AllResults,
     {},
     {"Image|PrintNo: 0005|9"}},
    {"registering an image without a print number",
     {"Exec rsp_GrabPrintImages 501,9,0,''"},
     Marks,
     {},
     {"IMAGE|PRINTNO:|9"}},
    {"registering an imported image for printing",
     {PrintRegistration, "Exec rsp_GrabPrintImages 501, 10, 1"},
     AllResults,
     {},
     {"Image|PrintNo: 0005|9", "Image|PrintNo: 0006|10"}},
    {"removing a print registration",
     {SketchMark, PrintRegistration,
      "Delete from Ris_Result where ApplyNo=501 and ItemCode = 'Image' and ItemResult = "
      "convert(varchar(80),9 ) "},
     AllResults,
     {},
     MarkRows},
    {"patient name of another examination",
     {},
     "Select PatName from Ris_List Where ApplyNo=502",
     {"PatName"},
     {"李四"}},
    {"patients registered today",
     {},
     "Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'u1' ,''",
     {"姓名", "PatNameSpell", "TechNo", "HospNo", "ApplyNo"},
     {"张三|zhangsan|ES0001|ZY001|501", "李四|zhangsan|ES0001|ZY001|502"},
     true},
    {"saved edits of an image",
     {SaveEdits},
     "Select * From RIS_ImageProcessInfo Where ImageId = 77",
     {"ImageID", "EditTime", "KeepWH", "ClipFlag", "ClipTop", "ClipLeft", "ClipWidth", "ClipHeight",
      "QualityFlag", "Brightness", "Contrast", "Saturation", "Hue", "LineFlag", "MeasureFlag"},
     {"77|now|1|1|10|20|300|200|1|-5|10|0|0|1|1"}},
    {"arrows of an image",
     {SaveEdits, Arrow, Arrow},
     "Select BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,LineColor From RIS_ImageProcessArrowInfo "
     "Where ImageId = 77",
     {"BeginPosX", "BeginPosY", "EndPosX", "EndPosY", "LineSize", "LineColor"},
     {"1|2|30|40|3|255", "1|2|30|40|3|255"}},
    {"arrows of an image, every column",
     {Arrow},
     "Select * From RIS_ImageProcessArrowInfo Where ImageId = 77",
     {"ImageID", "EditTime", "BeginPosX", "BeginPosY", "EndPosX", "EndPosY", "LineSize",
      "LineColor"},
     {"77|now|1|2|30|40|3|255"}},
    {"measurements of an image",
     {SaveEdits, Measure, TextFlag},
     "Select SERIALNO,ImageId,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,Memo "
     "from "
     "Ris_ImageMeasureInfo where ImageId = 77",
     {"SERIALNO", "ImageID", "EditTime", "BeginPosX", "BeginPosY", "EndPosX", "EndPosY",
      "MeasureValue", "iType", "Memo"},
     {"1|77|now|0|0|100|0|12.5|1|it's 5mm", "2|77|now|5|6|0|0|0|3|胃窦's"},
     true},
    {"measurements of an image, every column",
     {Measure},
     "Select * from Ris_ImageMeasureInfo where ImageId = 77",
     {"SERIALNO", "ImageID", "EditTime", "BeginPosX", "BeginPosY", "EndPosX", "EndPosY",
      "MeasureValue", "iType", "Memo"},
     {"1|77|now|0|0|100|0|12.5|1|it's 5mm"}},
    {"saving again replaces the edits, arrows and measurements",
     {SaveEdits, Arrow, Measure, SaveEdits},
     "Select (Select count(*) From RIS_ImageProcessInfo) as Records, (Select count(*) From "
     "RIS_ImageProcessArrowInfo) "
     "as Arrows, (Select count(*) From Ris_ImageMeasureInfo) as Measures",
     {},
     {"1|0|0"}},
    {"a new image derived from an edited one",
     {SaveEdits, Arrow, Measure,
      "Delete From RIS_ImageProcessInfo Where ImageId = 77 Delete From RIS_ImageProcessArrowInfo "
      "Where ImageId = 77"},
     "Select (Select count(*) From RIS_ImageProcessInfo) as Records, (Select count(*) From "
     "RIS_ImageProcessArrowInfo) "
     "as Arrows, (Select count(*) From Ris_ImageMeasureInfo) as Measures",
     {},
     {"0|0|1"}},
};

TEST_F(ClinicStatementsTest, EachStatementHasItsEffect) {
    for (const StatementCase& c : Cases) {
        SCOPED_TRACE(c.what);
        // Every case starts from the same examination.
        db.reset();
        std::filesystem::remove(file());
        SetUp();
        for (const char* command : c.commands) exec(command);
        auto packet = db->openSql(c.query);
        ASSERT_TRUE(packet.ok()) << packet.message();
        if (!c.columns.empty()) {
            EXPECT_EQ(columnNames(*packet), c.columns);
        }
        std::vector<std::string> got = renderRows(*packet), expected = c.rows;
        if (!c.ordered) {
            std::sort(got.begin(), got.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(got, expected);
    }
}

TEST_F(ClinicStatementsTest, ColumnsCarryTheTypesTheModuleReads) {
    exec(SaveEdits);
    exec(Measure);
    exec(SketchMark);
    struct Case {
        const char* query;
        std::vector<FieldType> types;
    } cases[] = {
        {"SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
         "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,Birthday,  "
         "Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a ,Instrument b where "
         "a.ApplyNo=501 and "
         "A.ReportID = B.InstID ",
         {FieldType::Integer, FieldType::Text, FieldType::Text, FieldType::Text,
          FieldType::DateTime, FieldType::Text, FieldType::Text, FieldType::Integer,
          FieldType::Text, FieldType::DateTime, FieldType::Text}},
        {"Select "
         "SERIALNO,ImageId,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,Memo "
         "from "
         "Ris_ImageMeasureInfo where ImageId = 77",
         {FieldType::Integer, FieldType::Integer, FieldType::DateTime, FieldType::Integer,
          FieldType::Integer, FieldType::Integer, FieldType::Integer, FieldType::Double,
          FieldType::Integer, FieldType::Text}},
        {"select count(*) + 1 as nCount from Ris_Result where ApplyNo = 501 and ItemName = "
         "'IsShape'",
         {FieldType::Integer}},
        {"select ItemResult from Ris_Result where ApplyNo = 501 and ItemName = 'SketchID' and "
         "ItemCode = '9'",
         {FieldType::Text}},
        {"Select 1.5 as Ratio, 'x' as Label, null as Empty",
         {FieldType::Double, FieldType::Text, FieldType::Text}},
    };
    for (const Case& c : cases) {
        auto packet = db->openSql(c.query);
        ASSERT_TRUE(packet.ok()) << packet.message();
        std::vector<FieldType> types;
        for (const auto& column : packet->columns) types.push_back(column.type);
        EXPECT_EQ(types, c.types) << c.query;
        EXPECT_TRUE(packet->encode().ok()) << c.query;
    }
}

TEST_F(ClinicStatementsTest, PatientDataLoadsIntoTheClientDatasetAndReadsByName) {
    auto packet = db->openSql(
        "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
        "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,Birthday,  "
        "Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a ,Instrument b where "
        "a.ApplyNo=501 and "
        "A.ReportID = B.InstID ");
    ASSERT_TRUE(packet.ok()) << packet.message();
    auto bytes = packet->encode();
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    platform::ClientDataset dataset;
    ASSERT_TRUE(dataset.load(std::string_view(*bytes)).ok());
    EXPECT_EQ(dataset.field("sex").asString(), "M");
    EXPECT_EQ(dataset.field("Age").asInteger(), 45);
    EXPECT_EQ(dataset.field("Birthday").asDateTime(), date(1980, 5, 6));
    EXPECT_EQ(dataset.field("reportid").asInteger(), 12);
}

TEST_F(ClinicStatementsTest, TableAndColumnNamesCompareWithoutRegardToCase) {
    exec(
        "insert into ris_result(applyno, itemcode, itemname, itemresult) values (501, 'Image', "
        "'PrintNo: 0001', '3')");
    EXPECT_EQ(rows("SELECT ITEMRESULT FROM RIS_RESULT WHERE ITEMCODE = 'IMAGE'"),
              std::vector<std::string>{"3"});
    EXPECT_EQ(rows("Select clipFlag From RIS_IMAGEPROCESSINFO"), std::vector<std::string>{});
}

TEST_F(ClinicStatementsTest, ABatchAnswersWithItsLastRows) {
    auto packet = db->openSql(
        "Select PatName From RIS_List Where ApplyNo = 501 Select TechNo, HospNo From RIS_List "
        "Where ApplyNo = 0");
    ASSERT_TRUE(packet.ok()) << packet.message();
    EXPECT_EQ(columnNames(*packet), (std::vector<std::string>{"TechNo", "HospNo"}));
    EXPECT_TRUE(packet->rows.empty());

    auto none = db->openSql("Delete From RIS_ImageProcessInfo Where ImageId = 1");
    ASSERT_TRUE(none.ok()) << none.message();
    EXPECT_TRUE(none->columns.empty());
}

}  // namespace
}  // namespace kadrix::workstation::testing
