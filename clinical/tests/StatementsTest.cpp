// The module's statements: their exact texts for sample values, and what they do to the
// reference clinic database when the module's readers take the rows back.
#include <QLocale>

#include <locale>

#include "ClinicalFixture.h"
#include "config/HostServices.h"
#include "kadrix/platform/date_time.h"
#include "storage/QueryRows.h"
#include "storage/Statements.h"
#include "workstation_demo.h"

using namespace kadrix;
using namespace kadrix::clinical;
using platform::ClientDataset;

namespace {

SketchMark sampleMark(std::string caption) {
    SketchMark m;
    m.Caption = std::move(caption);
    m.PosX = 10;
    m.PosY = 20;
    m.PosXE = 30;
    m.PosYE = 40;
    m.PosColor = 255;
    m.IsShape = true;
    return m;
}

const ProcessingRecord SampleRecord{1, 1, 10, 20, 300, 200, 1, -5, 10, 0, 0, 1, 1};

}  // namespace

TEST(StatementTexts, AreExact) {
    const double day = platform::encodeDateTime({2024, 3, 5, 9, 30});
    MeasurementRecord measure;
    measure.BeginPosX = 0;
    measure.BeginPosY = 0;
    measure.EndPosX = 100;
    measure.EndPosY = -1;
    measure.MeasureValue = 12.5;
    measure.iType = 1;
    measure.Memo = "it's 5mm";
    struct Case {
        std::string built;
        const char* text;
    } cases[] = {
        {sql::instrumentOfExamination(501),
         "SELECT B.InstCode,B.InstName,A.TechNo,A.PatName,A.Age,A.AgeUnit,A.Sex FROM RIS_List "
         "A,Instrument B where "
         "A.ApplyNo=501 and A.ReportID = B.InstID"},
        {sql::patientData(501),
         "SELECT A.ReportID,InstCode, IsNull(Modality,'') Modality, "
         "TechNo,Birthday,HospNo,PatName,Age,AgeUnit,"
         "Birthday,  Case Sex when 1 then 'M' when 2  then 'F' end Sex  FROM RIS_List a "
         ",Instrument b where "
         "a.ApplyNo=501 and A.ReportID = B.InstID "},
        {sql::reportId(-3), "select ReportID from Ris_List where ApplyNo = -3"},
        {sql::captionChoices(12),
         "select ItemName from RIS_SpecialItemDic  where Parent in (select ItemID from "
         "RIS_SpecialItemDic  where "
         "Parent in (select ItemID from RIS_SpecialItemDic where ItemCode = 12) and ItemName = "
         "'图注' )"},
        {sql::sketchMarksAndPrintRegistrations(501),
         "Select Upper(RTrim(ItemCode)) as ItemCode,Upper(Rtrim(ItemName)) as "
         "ItemName,RTrim(ItemResult) as "
         "ItemResult from ris_Result where ApplyNo=501 and (ItemName in "
         "('PosX','PosY','PosXE','PosYE','PosColor','Caption','isShape')  or (ItemCode='Image'))"},
        {sql::sketchIdOfImage(501, 9),
         "select ItemResult from Ris_Result where ApplyNo = 501 and ItemName = 'SketchID' and "
         "ItemCode = '9'"},
        {sql::nextSketchId(501),
         "select count(*) + 1 as nCount from Ris_Result where ApplyNo = 501 and ItemName = "
         "'IsShape'"},
        {sql::storeSketchMark(501, 9, sampleMark("胃体"), 2),
         "Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"胃体\",1,2"},
        {sql::storeSketchMark(501, 9, SketchMark{}, 1),
         "Exec rsp_SaveImgSketchMap 501,9,-1,-1,-1,-1,-1,\" \",0,1"},
        {sql::storeSketchMark(501, 9, sampleMark("say \"hi\""), 1),
         "Exec rsp_SaveImgSketchMap 501,9,10,20,30,40,255,\"say \"\"hi\"\"\",1,1"},
        {sql::deleteImageRegistrations(501, 9), "Exec Rsp_DoRisOnDelImage 501, 9, 1"},
        {sql::registerForPrinting(501, 9, 5), "Exec rsp_GrabPrintImages 501,9,0,'0005'"},
        {sql::registerForPrinting(501, 9, 42), "Exec rsp_GrabPrintImages 501,9,0,'0042'"},
        {sql::registerForPrinting(501, 9, 123), "Exec rsp_GrabPrintImages 501,9,0,'0123'"},
        {sql::registerForPrinting(501, 9, 1000), "Exec rsp_GrabPrintImages 501,9,0,'01000'"},
        {sql::registerForPrinting(501, 9, -1), "Exec rsp_GrabPrintImages 501,9,0,''"},
        {sql::registerImportedForPrinting(501, 9), "Exec rsp_GrabPrintImages 501, 9, 1"},
        {sql::removePrintRegistration(501, 9),
         "Delete from Ris_Result where ApplyNo=501 and ItemCode = 'Image' and ItemResult = "
         "convert(varchar(80),9 ) "},
        {sql::patientName(502), "Select PatName from Ris_List Where ApplyNo=502"},
        {sql::patientList(day, "RIS", "u1"),
         "Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'u1' ,''"},
        {sql::patientList(day, "R'S", "o'b"),
         "Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'R''S', 'o''b' ,''"},
        {sql::processingRecord(77), "Select * From RIS_ImageProcessInfo Where ImageId = 77"},
        {sql::arrowsOfImage(77),
         "Select BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,LineColor From "
         "RIS_ImageProcessArrowInfo Where "
         "ImageId = 77"},
        {sql::arrowRowsOfImage(77), "Select * From RIS_ImageProcessArrowInfo Where ImageId = 77"},
        {sql::measurementsOfImage(77),
         "Select "
         "SERIALNO,ImageId,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,iType,Memo "
         "from "
         "Ris_ImageMeasureInfo where ImageId = 77"},
        {sql::measurementRowsOfImage(77), "Select * from Ris_ImageMeasureInfo where ImageId = 77"},
        {sql::clearEdits(77),
         "Delete From RIS_ImageProcessInfo Where ImageId = 77 Delete From "
         "RIS_ImageProcessArrowInfo Where ImageId = "
         "77"},
        {sql::replaceEdits(77, SampleRecord),
         "Delete From RIS_ImageProcessInfo Where ImageId = 77 Delete From "
         "RIS_ImageProcessArrowInfo Where ImageId = "
         "77 Delete From Ris_ImageMeasureInfo Where ImageId = 77 Insert Into "
         "RIS_ImageProcessInfo(ImageID,EditTime,KeepWH,ClipFlag,ClipTop,ClipLeft,ClipWidth,"
         "ClipHeight, "
         "QualityFlag,Brightness,Contrast,Saturation,Hue,LineFlag,MeasureFlag) Values "
         "(77,getdate(),1,1,10,20,300,200,1,-5,10,0,0,1,1)"},
        {sql::insertArrow(77, {1, 2, 30, 40, 3, 255}),
         "Insert Into "
         "RIS_ImageProcessArrowInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,LineSize,"
         "LineColor) values (77,getdate(),1,2,30,40,3,255)"},
        {sql::insertMeasurement(77, measure),
         "Insert Into "
         "Ris_ImageMeasureInfo(ImageID,EditTime,BeginPosX,BeginPosY,EndPosX,EndPosY,MeasureValue,"
         "iType,"
         "Memo) values (77,getdate(),0,0,100,-1,12.5,1,'it''s 5mm')"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.built, c.text);
}

TEST(StatementTexts, NumbersAndFilters) {
    struct Case {
        double value;
        const char* text;
    } values[] = {{12.5, "12.5"},
                  {0, "0"},
                  {9999, "9999"},
                  {-0.25, "-0.25"},
                  {1.0 / 3, "0.333333333333333"},
                  {123456789012345678.0, "1.23456789012346e+17"}};
    for (const Case& c : values) EXPECT_EQ(sql::decimal(c.value), c.text);

    struct FilterCase {
        sql::PatientSearch column;
        const char* text;
        const char* filter;
    } filters[] = {
        {sql::PatientSearch::Name, " zh ", "Upper(PatNameSpell) like Upper('zh%')"},
        {sql::PatientSearch::TechNo, "CT", "Upper(TechNo) like Upper('CT%')"},
        {sql::PatientSearch::HospNo, "", "Upper(HospNo) like Upper('%')"},
        {sql::PatientSearch::Name, "o'b", "Upper(PatNameSpell) like Upper('o''b%')"},
    };
    for (const FilterCase& c : filters)
        EXPECT_EQ(sql::patientSearchFilter(c.column, c.text), c.filter);
    EXPECT_STREQ(sql::measurementFilter(MeasureKind::TextFlag), "  iType=3");
    EXPECT_STREQ(sql::measurementFilter(MeasureKind::Standard), " iType=1");
    EXPECT_STREQ(sql::measurementFilter(MeasureKind::MeasuredLine), " iType=2");
}

namespace {

// A decimal comma for C++ streams, as a German system would have it.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

}  // namespace

TEST(StatementTexts, MeasureValuesKeepTheirPointOnACommaLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    const QLocale previousQt;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    MeasurementRecord m;
    m.MeasureValue = 2.75;
    const std::string text = sql::insertMeasurement(5, m);
    const std::string value = sql::decimal(0.5);
    std::locale::global(previous);
    QLocale::setDefault(previousQt);
    EXPECT_NE(text.find(",2.75,0,''"), std::string::npos) << text;
    EXPECT_EQ(value, "0.5");
}

// ---- against the reference database

class ClinicDatabaseEffects : public kadrix::testing::ClinicalTest {
  protected:
    void SetUp() override {
        ClinicalTest::SetUp();
        applyNo = kadrix::testing::registerDemoPatient(*site->database());
        for (const char* caption : {"胃体", "胃窦", "幽门"})
            ASSERT_TRUE(site->database()->addCaption(3, caption).ok());
        data.emplace(DataService::create());
    }

    // The rows of a query, loaded as the module loads them.
    void open(const std::string& statement) { data->openSql(statement, rows); }
    void openMarks() { data->openSql(sql::sketchMarksAndPrintRegistrations(applyNo), marks); }

    int32_t applyNo = 0;
    std::optional<DataService> data;
    ClientDataset rows, marks;
};

TEST_F(ClinicDatabaseEffects, TheExaminationItsInstrumentAndCaptions) {
    open(sql::instrumentOfExamination(applyNo));
    EXPECT_EQ(readInstrumentCode(rows), "WJ01");
    open(sql::reportId(applyNo));
    EXPECT_EQ(readReportId(rows), 3);
    open(sql::reportId(999));
    EXPECT_EQ(readReportId(rows), std::nullopt);
    open(sql::instrumentOfExamination(999));
    EXPECT_EQ(readInstrumentCode(rows), "");
    open(sql::captionChoices(3));
    EXPECT_EQ(readCaptionChoices(rows), (std::vector<std::string>{"胃体", "胃窦", "幽门"}));
    EXPECT_EQ(data->getStringFieldValue("PatName", sql::patientName(applyNo)), "张三");
}

TEST_F(ClinicDatabaseEffects, SketchMarksAreStoredAndReadBack) {
    EXPECT_EQ(sketchIdFor(*data, applyNo, 9), 1) << "no mark yet: the next free id";
    struct Case {
        const char* caption;
        const char* stored;  // an empty caption travels as one blank, which the marks query trims
    } cases[] = {{"胃体", "胃体"},
                 {"", ""},
                 {"say \"hi\"", "say \"hi\""},
                 {"it's", "it's"},
                 {"a,\"b\",1", "a,\"b\",1"}};
    for (const Case& c : cases) {
        SketchMark mark = sampleMark(c.caption);
        data->execSql(sql::storeSketchMark(applyNo, 9, mark, sketchIdFor(*data, applyNo, 9)));
        openMarks();
        SketchMark read;
        readSketchMark(marks, 9, read);
        EXPECT_EQ(read.Caption, c.stored) << "the procedure receives the caption intact";
        EXPECT_EQ(read.PosX, 10);
        EXPECT_EQ(read.PosY, 20);
        EXPECT_EQ(read.PosXE, 30);
        EXPECT_EQ(read.PosYE, 40);
        EXPECT_EQ(read.PosColor, 255);
        EXPECT_TRUE(read.IsShape);
    }
    EXPECT_EQ(sketchIdFor(*data, applyNo, 9), 1) << "the stored mark keeps its id";
    EXPECT_EQ(sketchIdFor(*data, applyNo, 10), 2) << "the next image takes the next one";

    // An image without mark items: numbers -1, the shape flag true; a closed table changes less.
    SketchMark other = sampleMark("keep");
    readSketchMark(marks, 10, other);
    EXPECT_EQ(other.Caption, "");
    EXPECT_EQ(other.PosX, -1);
    EXPECT_EQ(other.PosColor, -1);
    EXPECT_TRUE(other.IsShape);
    marks.close();
    SketchMark closed = sampleMark("keep");
    readSketchMark(marks, 9, closed);
    EXPECT_EQ(closed.Caption, "keep");
    EXPECT_EQ(closed.PosColor, 255);
    EXPECT_EQ(closed.PosX, -1);
    EXPECT_EQ(closed.PosYE, -1);
    EXPECT_FALSE(closed.IsShape);
}

TEST_F(ClinicDatabaseEffects, PrintRegistrations) {
    struct Case {
        int32_t printNo;
        int32_t read;
    } cases[] = {{5, 5}, {1234, 1234}, {0, 0}, {-1, -1}};
    for (const Case& c : cases) {
        data->execSql(sql::registerForPrinting(applyNo, 9, c.printNo));
        openMarks();
        EXPECT_EQ(printRegistration(marks, 9), c.read) << c.printNo;
    }
    data->execSql(sql::registerForPrinting(applyNo, 9, 7));
    data->execSql(sql::registerImportedForPrinting(applyNo, 10));
    openMarks();
    EXPECT_EQ(printRegistration(marks, 10), 8) << "after the examination's highest";
    EXPECT_EQ(printRegistration(marks, 11), std::nullopt);

    data->execSql(sql::removePrintRegistration(applyNo, 9));
    openMarks();
    EXPECT_EQ(printRegistration(marks, 9), std::nullopt);
    EXPECT_EQ(printRegistration(marks, 10), 8);

    data->execSql(sql::storeSketchMark(applyNo, 10, sampleMark("胃体"), 1));
    data->execSql(sql::deleteImageRegistrations(applyNo, 10));
    openMarks();
    EXPECT_EQ(printRegistration(marks, 10), std::nullopt);
    EXPECT_EQ(marks.recordCount(), 0) << "the mark went with the registration";
}

TEST_F(ClinicDatabaseEffects, EditsAreReplacedInOneTransaction) {
    open(sql::processingRecord(77));
    EXPECT_EQ(readProcessingRecord(rows), ProcessingRecord{});

    MeasurementRecord standard{0, 0, 0, 100, 0, 12.5, 1, "it's 5mm"};
    MeasurementRecord note{0, 5, 6, 0, 0, 9999, 3, "胃窦's"};
    data->beginTran();
    data->execSql(sql::replaceEdits(77, SampleRecord));
    data->execSql(sql::insertArrow(77, {1, 2, 30, 40, 3, 255}));
    data->execSql(sql::insertMeasurement(77, standard));
    data->execSql(sql::insertMeasurement(77, note));
    data->commitTran();

    open(sql::processingRecord(77));
    EXPECT_EQ(readProcessingRecord(rows), SampleRecord);
    for (const std::string& query : {sql::arrowsOfImage(77), sql::arrowRowsOfImage(77)}) {
        open(query);
        EXPECT_EQ(readArrows(rows), (std::vector<ArrowRecord>{{1, 2, 30, 40, 3, 255}})) << query;
    }
    open(sql::measurementsOfImage(77));
    std::vector<MeasurementRecord> read = readMeasurements(rows);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_GT(read[0].SerialNo, 0);
    standard.SerialNo = read[0].SerialNo;
    note.SerialNo = read[1].SerialNo;
    EXPECT_EQ(read, (std::vector<MeasurementRecord>{standard, note})) << "notes keep their quotes";
    open(sql::measurementRowsOfImage(77));
    EXPECT_EQ(readMeasurements(rows), read);
    ASSERT_TRUE(rows.setFilter(sql::measurementFilter(MeasureKind::TextFlag)).ok());
    rows.setFiltered(true);
    EXPECT_EQ(rows.recordCount(), 1);
    rows.setFiltered(false);

    // Saving again writes the record anew and drops the arrows and measurements.
    data->execSql(sql::replaceEdits(77, ProcessingRecord{}));
    open(sql::processingRecord(77));
    EXPECT_EQ(rows.recordCount(), 1);
    open(sql::arrowsOfImage(77));
    EXPECT_TRUE(readArrows(rows).empty());
    open(sql::measurementsOfImage(77));
    EXPECT_TRUE(readMeasurements(rows).empty());

    // A new image made from the edited one: the record and the arrows go, measurements stay.
    data->execSql(sql::insertArrow(77, {1, 2, 3, 4, 5, 6}));
    data->execSql(sql::insertMeasurement(77, standard));
    data->execSql(sql::clearEdits(77));
    open(sql::processingRecord(77));
    EXPECT_EQ(rows.recordCount(), 0);
    open(sql::arrowsOfImage(77));
    EXPECT_TRUE(readArrows(rows).empty());
    open(sql::measurementsOfImage(77));
    EXPECT_EQ(readMeasurements(rows).size(), 1u);
}

TEST_F(ClinicDatabaseEffects, TodaysPatientListAndItsSearch) {
    workstation::PatientRegistration p;
    p.applyNo = 1202;
    p.reportId = 3;
    p.techNo = "CT0002";
    p.hospNo = "H-18";
    p.patName = "O'Brien";
    p.patNameSpell = "o'brien";
    p.registered = platform::currentDateTime();
    p.sysCode = "RIS";
    p.userId = "1001";
    ASSERT_TRUE(site->database()->registerPatient(p).ok());

    open(sql::patientList(platform::currentDateTime(), "RIS", "1001"));
    ASSERT_EQ(rows.recordCount(), 2);
    rows.first();
    const PatientListRow first = readPatientListRow(rows);
    EXPECT_EQ(first.PatName, "张三");
    EXPECT_EQ(first.ApplyNo, 1201);
    EXPECT_EQ(first.PatNameSpell, "zhangsan");
    EXPECT_EQ(first.TechNo, "CT0001");
    EXPECT_EQ(first.HospNo, "H-17");

    struct Case {
        sql::PatientSearch column;
        const char* text;
        int rows;
    } cases[] = {{sql::PatientSearch::Name, "ZH", 1},     {sql::PatientSearch::Name, "o'b", 1},
                 {sql::PatientSearch::Name, "'", 0},      {sql::PatientSearch::TechNo, "ct000", 2},
                 {sql::PatientSearch::HospNo, "h-18", 1}, {sql::PatientSearch::HospNo, "", 2}};
    for (const Case& c : cases) {
        ASSERT_TRUE(rows.setFilter(sql::patientSearchFilter(c.column, c.text)).ok()) << c.text;
        rows.setFiltered(true);
        EXPECT_EQ(rows.recordCount(), c.rows) << c.text;
    }

    // A quote in the system code or the user id stays inside its text.
    open(sql::patientList(platform::currentDateTime(), "RIS' or ''='", "1001"));
    EXPECT_EQ(rows.recordCount(), 0);
}
