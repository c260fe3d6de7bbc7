#include "kadrix/platform/client_dataset.h"

#include <gtest/gtest.h>

#include "kadrix/platform/date_time.h"

using namespace kadrix::platform;

namespace {

DataPacket measurements() {
    DataPacket p;
    p.columns = {{"SERIALNO", FieldType::Integer}, {"ImageId", FieldType::Integer}, {"MeasureValue", FieldType::Double},
                 {"iType", FieldType::Integer},    {"Memo", FieldType::Text},       {"EditTime", FieldType::DateTime}};
    const double when = encodeDateTime({2008, 3, 5, 9, 30});
    p.rows = {
        {Variant(1), Variant(77), Variant(10.0), Variant(1), Variant("标尺"), Variant::dateTime(when)},
        {Variant(2), Variant(77), Variant(3.25), Variant(2), Variant("it's 3.25"), Variant::dateTime(when)},
        {Variant(3), Variant(77), Variant::null(), Variant(3), Variant("note"), Variant::null()},
        {Variant(4), Variant(77), Variant(7.5), Variant(2), Variant::null(), Variant::dateTime(when)},
    };
    return p;
}

DataPacket patients() {
    DataPacket p;
    p.columns = {{"姓名", FieldType::Text},
                 {"PatNameSpell", FieldType::Text},
                 {"TechNo", FieldType::Text},
                 {"HospNo", FieldType::Text},
                 {"ApplyNo", FieldType::Integer}};
    p.rows = {{Variant("张三"), Variant("zhangsan"), Variant("CT001"), Variant("H-17"), Variant(101)},
              {Variant("赵四"), Variant("ZhaoSi"), Variant("ct002"), Variant("H-18"), Variant(102)},
              {Variant("李五"), Variant("liwu"), Variant("MR003"), Variant("X-01"), Variant(103)}};
    return p;
}

std::vector<int32_t> column(ClientDataset& ds, const char* name) {
    std::vector<int32_t> values;
    for (ds.first(); !ds.eof(); ds.next()) values.push_back(ds.field(name).asInteger());
    return values;
}

}  // namespace

TEST(DataPacket, RoundTripKeepsEveryTypeNullsAndChineseText) {
    DataPacket p = measurements();
    p.columns.push_back({"Done", FieldType::Boolean});
    for (size_t i = 0; i < p.rows.size(); ++i) p.rows[i].push_back(i % 2 ? Variant(true) : Variant::null());
    auto bytes = p.encode();
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    auto back = DataPacket::decode(*bytes);
    ASSERT_TRUE(back.ok()) << back.message();
    EXPECT_EQ(back->columns, p.columns);
    ASSERT_EQ(back->rows.size(), p.rows.size());
    for (size_t r = 0; r < p.rows.size(); ++r)
        for (size_t c = 0; c < p.columns.size(); ++c)
            EXPECT_EQ(back->rows[r][c], p.rows[r][c]) << "row " << r << " column " << p.columns[c].name;
    EXPECT_EQ(back->rows[0][4].toText(), "标尺");
    EXPECT_TRUE(back->rows[2][2].isNull());
}

TEST(DataPacket, DamagedPacketsAreRefused) {
    const std::string good = *measurements().encode();
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"one byte flipped", [&] { std::string b = good; b[b.size() / 2] ^= 0x20; return b; }()},
        {"not a packet", std::string("SELECT * FROM RIS_List") + std::string(20, ' ')},
        {"extra byte", good + "x"},
    };
    for (const Case& c : cases) {
        auto decoded = DataPacket::decode(c.bytes);
        EXPECT_FALSE(decoded.ok()) << c.what;
        EXPECT_NE(decoded.message().find("damaged data packet"), std::string::npos) << c.what;
    }
    DataPacket wrongWidth = measurements();
    wrongWidth.rows[1].pop_back();
    EXPECT_FALSE(wrongWidth.encode().ok());
    DataPacket badValue = measurements();
    badValue.rows[0][0] = Variant("not a number");
    EXPECT_FALSE(badValue.encode().ok());
    DataPacket notText = measurements();
    notText.rows[0][4] = Variant(std::string("\xFF\xFE"));
    EXPECT_FALSE(notText.encode().ok()) << "what could not be decoded is not encoded";

}

TEST(ClientDataset, ReadsColumnsByNameWithConversions) {
    ClientDataset ds;
    EXPECT_FALSE(ds.active());
    EXPECT_TRUE(ds.isEmpty());
    ASSERT_TRUE(ds.load(*measurements().toVariant()).ok());
    EXPECT_TRUE(ds.active());
    EXPECT_EQ(ds.recordCount(), 4);
    EXPECT_EQ(ds.field("serialno").asInteger(), 1);
    EXPECT_EQ(ds.field("MEMO").asString(), "标尺");
    EXPECT_DOUBLE_EQ(ds.field("measurevalue").asFloat(), 10.0);
    EXPECT_EQ(formatYmd(ds.field("EditTime").asDateTime()), "20080305");
    EXPECT_EQ(ds.field("ImageId").asString(), "77");
    EXPECT_THROW(ds.field("NoSuchColumn"), VariantError);
    EXPECT_THROW(ds.field("Memo").asInteger(), VariantError) << "text that is no number";
    ds.next();
    ds.next();
    EXPECT_TRUE(ds.field("MeasureValue").isNull());
    EXPECT_EQ(ds.field("MeasureValue").asString(), "");
    ds.next();
    ds.next();
    EXPECT_TRUE(ds.eof());
    EXPECT_THROW(ds.field("Memo"), VariantError);

    EXPECT_FALSE(ds.load(Variant()).ok()) << "nothing fetched is no packet";
    EXPECT_FALSE(ds.active());
}

TEST(ClientDataset, MeasurementFiltersSelectTheirRows) {
    ClientDataset ds;
    ASSERT_TRUE(ds.load(measurements()).ok());
    struct Case {
        const char* filter;
        std::vector<int32_t> serials;
    } cases[] = {
        {"  iType=3", {3}},      {" iType=1", {1}},        {" iType=2", {2, 4}},
        {" iType = 1", {1}},     {" iType =2", {2, 4}},    {" 1=1", {1, 2, 3, 4}},
        {"", {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ds.setFilter(c.filter).ok()) << c.filter;
        ds.setFiltered(true);
        EXPECT_EQ(column(ds, "SERIALNO"), c.serials) << "'" << c.filter << "'";
    }
    ASSERT_TRUE(ds.setFilter("iType=9").ok());
    EXPECT_TRUE(ds.isEmpty());
    ds.setFiltered(false);
    EXPECT_EQ(ds.recordCount(), 4);
}

TEST(ClientDataset, PatientSearchFiltersMatchPrefixesWithoutRegardToCase) {
    ClientDataset ds;
    ASSERT_TRUE(ds.load(patients()).ok());
    ds.setFiltered(true);
    struct Case {
        std::string filter;
        std::vector<int32_t> applyNos;
    } cases[] = {
        {"Upper(PatNameSpell) like Upper('zh%')", {101, 102}},
        {"Upper(PatNameSpell) like Upper('ZHAO%')", {102}},
        {"Upper(TechNo) like Upper('ct%')", {101, 102}},
        {"Upper(HospNo) like Upper('h-1%')", {101, 102}},
        {"Upper(HospNo) like Upper('x%')", {103}},
        {"Upper(PatNameSpell) like Upper('o''brien%')", {}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ds.setFilter(c.filter).ok()) << c.filter;
        EXPECT_EQ(column(ds, "ApplyNo"), c.applyNos) << c.filter;
    }
    ds.setFiltered(false);
    EXPECT_EQ(ds.field("姓名").asString(), "张三");
}

TEST(ClientDataset, FiltersThatAreNotOneExpressionAreRefused) {
    ClientDataset ds;
    ASSERT_TRUE(ds.load(patients()).ok());
    ASSERT_TRUE(ds.setFilter("ApplyNo=101").ok());
    const char* attacks[] = {
        "1=1; DROP TABLE data",
        "1=1) UNION SELECT 1 FROM sqlite_master --",
        "ApplyNo in (select ApplyNo from data)",
        "NoSuchColumn = 1",
        "load_extension('x')",
        "Upper(PatNameSpell) like Upper('zh%'",
        "1=1) ; ATTACH DATABASE '/tmp/x' AS y; --",
        "1) GROUP BY (1",
        "1) ORDER BY (ApplyNo",
    };
    for (const char* attack : attacks) {
        const Status refused = ds.setFilter(attack);
        EXPECT_FALSE(refused.ok()) << attack;
        EXPECT_EQ(ds.filter(), "ApplyNo=101") << "a refused filter changes nothing: " << attack;
    }
    ds.setFiltered(true);
    EXPECT_EQ(ds.recordCount(), 1);

    // A filter in force before any rows is checked when they come: a load with a bad one fails.
    ClientDataset later;
    ASSERT_TRUE(later.setFilter("NoSuchColumn = 1").ok());
    later.setFiltered(true);
    EXPECT_FALSE(later.load(patients()).ok());
    EXPECT_FALSE(later.active());
}

TEST(ClientDataset, LocateFindsExactValuesWithinTheFilter) {
    DataPacket p;
    p.columns = {{"ItemCode", FieldType::Text}, {"ItemName", FieldType::Text}, {"ItemResult", FieldType::Text}};
    p.rows = {{Variant("IMAGE"), Variant("PRINTNO000005"), Variant("77")},
              {Variant("77"), Variant("POSX"), Variant("120")},
              {Variant("77"), Variant("CAPTION"), Variant("胃窦")},
              {Variant("78"), Variant("POSX"), Variant("5")}};
    ClientDataset ds;
    ASSERT_TRUE(ds.load(p).ok());
    ASSERT_TRUE(ds.locate({{"ItemCode", Variant("IMAGE")}, {"ItemResult", Variant(77)}}));
    EXPECT_EQ(ds.field("ItemName").asString().substr(9), "0005");
    ASSERT_TRUE(ds.locate({{"itemcode", Variant("77")}, {"ITEMNAME", Variant("CAPTION")}}));
    EXPECT_EQ(ds.field("ItemResult").asString(), "胃窦");
    EXPECT_FALSE(ds.locate({{"ItemCode", Variant("image")}, {"ItemResult", Variant("77")}})) << "exact values";
    EXPECT_EQ(ds.field("ItemResult").asString(), "胃窦") << "a failed locate leaves the cursor";
    EXPECT_FALSE(ds.locate({{"NoColumn", Variant("x")}}));
    ASSERT_TRUE(ds.setFilter("ItemCode = '78'").ok());
    ds.setFiltered(true);
    EXPECT_FALSE(ds.locate({{"ItemCode", Variant("77")}, {"ItemName", Variant("POSX")}}));
    EXPECT_TRUE(ds.locate({{"ItemName", Variant("POSX")}}));
    EXPECT_EQ(ds.field("ItemResult").asInteger(), 5);
}
