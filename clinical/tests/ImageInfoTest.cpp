// Image descriptions and lists: defaults, setter normalisation, loading a query result, the
// store request, and a round trip through the reference archive server.
#include <fstream>

#include "ClinicalFixture.h"
#include "config/HostServices.h"
#include "kadrix/platform/date_time.h"
#include "storage/DateStamps.h"
#include "storage/FaultDate.h"
#include "storage/ImageInfo_u.h"
#include "storage/StoreRequest.h"
#include "workstation_demo.h"

using namespace kadrix;
using namespace kadrix::clinical;
using platform::Variant;
using platform::VariantArray;
namespace fs = std::filesystem;

namespace {

const double Today = platform::encodeDateTime({2026, 4, 7});

// A description of `count` slots, each its own index as text.
VariantArray description(int count, int32_t low = 0) {
    VariantArray a = VariantArray::oneDimension(low, count);
    for (int i = 0; i < count; ++i) a.at(low + i) = Variant("s" + std::to_string(i));
    return a;
}

VariantArray queryResult(std::vector<Variant> elements,
                         Variant header = VariantArray({Variant("2.5"), Variant(7)})) {
    elements.insert(elements.begin(), std::move(header));
    return VariantArray(std::move(elements));
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ImageInfoError& e) {
        return e.what();
    }
    return "no failure";
}

}  // namespace

TEST(DateText, NormalisesToEightDigits) {
    struct Case {
        const char* given;
        const char* stored;
    } cases[] = {
        {"2008-03-05", "20080305"},
        {"2008.03.05", "20080305"},
        {"  2008-03-05 ", "20080305"},
        {"20080305", "20080305"},
        {"2008-3-5", "20080305"},
        {"2008.12.5", "20081205"},
        {"2008-3-15", "20080315"},
        {"2008-03-05 10:20:30", "20080305"},  // a date-time's text keeps its date
        {"", "20260407"},
        {"   ", "20260407"},
        {"2008-3", "20260407"},        // too short for a date
        {"2008/03/05", "2008/03/05"},  // other separators are kept as they are
        {"Monday 5th", "Monday 5th"},
    };
    for (const Case& c : cases) EXPECT_EQ(normaliseDateText(c.given, Today), c.stored) << c.given;
}

TEST(DateText, Stamps) {
    EXPECT_EQ(ymdStamp(platform::encodeDateTime({2008, 3, 5, 23, 59})), "20080305");
    EXPECT_EQ(isoDayStamp(platform::encodeDateTime({2008, 3, 5, 23, 59})), "2008-03-05");
}

using ImageInfoDefaults = kadrix::testing::ClinicalTest;

TEST_F(ImageInfoDefaults, DefaultsInSlotOrder) {
    // The fault date comes from the site's archive server settings (read once per process).
    const TImageInfo info;
    const std::string fault = "20000101";
    const std::string today = ymdStamp(platform::currentDateTime());
    for (int slot = 0; slot < image_slot::MinimumCount; ++slot) {
        Variant expected("");
        if (slot == 6 || slot == 13 || slot == 21)
            expected = Variant(fault);
        if (slot == 25)
            expected = Variant(today);
        if (slot == 9 || slot == 14 || slot == 22 || slot == 23 || slot == 27 || slot == 28 ||
            (slot >= 32 && slot <= 35))
            expected = Variant(-1);
        EXPECT_EQ(info.get(slot).kind(), expected.kind()) << "slot " << slot;
        EXPECT_EQ(info.get(slot), expected) << "slot " << slot;
    }
    const VariantArray data = info.data();
    EXPECT_EQ(data.size(), 39u);
    EXPECT_TRUE(data.at(38).isEmpty()) << "slot 38 is never set";
}

TEST(ImageInfo, SettersNormaliseNullsAndDates) {
    struct Case {
        int slot;
        Variant given;
        Variant stored;
    } cases[] = {
        {4, Variant::null(), Variant("")},
        {9, Variant::null(), Variant("")},
        {14, Variant::null(), Variant(-1)},
        {34, Variant::null(), Variant(-1)},
        {27, Variant::null(), Variant(0)},
        {35, Variant::null(), Variant::null()},
        {36, Variant::null(), Variant("")},
        {34, Variant(12), Variant(12)},
        {16, Variant("CT"), Variant("CT")},
        {6, Variant("2008-03-05"), Variant("20080305")},
        {13, Variant("2008.03.05"), Variant("20080305")},
        {21, Variant("19991231"), Variant("19991231")},
        {25, Variant("2008-3-5"), Variant("20080305")},
        {6, Variant(""), Variant(ymdStamp(platform::currentDateTime()))},
        {6, Variant::null(), Variant(ymdStamp(platform::currentDateTime()))},
    };
    for (const Case& c : cases) {
        TImageInfo info;
        info.set(c.slot, c.given);
        EXPECT_EQ(info.get(c.slot).kind(), c.stored.kind()) << "slot " << c.slot;
        EXPECT_EQ(info.get(c.slot), c.stored) << "slot " << c.slot;
    }
}

TEST(ImageInfo, CreationFromDataNeedsEverySlotUpTo37) {
    EXPECT_EQ(messageOf([] { TImageInfo(Variant(description(37))); }), "图像信息不全！");
    EXPECT_EQ(messageOf([] { TImageInfo(Variant("not a description")); }), "图像信息不全！");
    EXPECT_EQ(messageOf([] {
                  TImageInfo(Variant(VariantArray::twoDimensions({0, 2}, {0, 39})));
              }),
              "图像信息不全！");
    static_assert(std::is_base_of_v<std::runtime_error, ImageInfoError>);

    // Slots count from the array's low bound, and the data is a copy.
    const VariantArray source = description(38, 1);
    TImageInfo info{Variant(source)};
    EXPECT_EQ(info.get(0), Variant("s0"));
    EXPECT_EQ(info.get(37), Variant("s37"));
    info.set(26, Variant("/x.jpg"));
    EXPECT_EQ(info.data().at(27), Variant("/x.jpg"));
    EXPECT_EQ(source.at(27), Variant("s26"));
}

TEST(ImageInfoList, StartsWithItsHeader) {
    const TImageInfoList list;
    EXPECT_EQ(list.version(), "1.0");
    EXPECT_EQ(list.headerValue(), 3);
    EXPECT_EQ(list.count(), 0);
}

TEST(ImageInfoList, LoadsAQueryResult) {
    TImageInfoList list;
    list.loadFromData(Variant(queryResult({})));
    EXPECT_EQ(list.count(), 0) << "header only";
    EXPECT_EQ(list.version(), "2.5");
    EXPECT_EQ(list.headerValue(), 7);

    VariantArray first = description(39), second = description(38);
    first.at(26) = Variant("/a.jpg");
    second.at(26) = Variant("/b.jpg");
    list.loadFromData(Variant(queryResult({Variant(first), Variant(second)})));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(0).get(26), Variant("/a.jpg"));
    EXPECT_EQ(list.get(1).get(26), Variant("/b.jpg"));

    list.loadFromData(Variant(queryResult({Variant(first)})));
    EXPECT_EQ(list.count(), 1) << "a load replaces what was there";
}

TEST(ImageInfoList, RefusesWhatIsNoQueryResult) {
    struct Case {
        const char* what;
        Variant data;
        const char* message;
    } cases[] = {
        {"two dimensions", Variant(VariantArray::twoDimensions({0, 2}, {0, 2})),
         "Invalid Data, Dimension:2"},
        {"no array", Variant("text"), "Invalid Data, Dimension:0"},
        {"a short element",
         Variant(queryResult({Variant(description(39)), Variant(description(37))})),
         "图像信息不全！"},
        {"a short header", Variant(queryResult({}, VariantArray({Variant("1.0")}))),
         "图像信息不全！"},
        {"no header", Variant(VariantArray(std::vector<Variant>{})), "图像信息不全！"},
    };
    for (const Case& c : cases) {
        TImageInfoList list;
        list.loadFromData(Variant(queryResult({Variant(description(39))})));
        EXPECT_EQ(messageOf([&] { list.loadFromData(c.data); }), c.message) << c.what;
        EXPECT_EQ(list.count(), 0) << c.what << ": nothing half-loaded stays";
    }
}

TEST(ImageInfoList, SortsByImageIdAscending) {
    TImageInfoList list;
    for (int32_t id : {30, 10, 20, 10}) {
        TImageInfo info;
        info.set(image_slot::ImageID, Variant(id));
        info.set(image_slot::File, Variant("/" + std::to_string(list.count())));
        list.add(std::move(info));
    }
    list.sort(compareByImageId);
    std::vector<std::string> order;
    for (int i = 0; i < list.count(); ++i)
        order.push_back(list.get(i).get(image_slot::File).toText());
    EXPECT_EQ(order, (std::vector<std::string>{"/1", "/3", "/2", "/0"}));
    EXPECT_EQ(compareByImageId(list.get(3), list.get(0)), 1);
    EXPECT_EQ(compareByImageId(list.get(0), list.get(3)), -1);
    EXPECT_EQ(compareByImageId(list.get(0), list.get(1)), 0);
}

TEST(StoreRequest, AgeTexts) {
    struct Case {
        int32_t age;
        const char* unit;
        const char* text;
    } cases[] = {{5, "天", "005D"},   {120, "岁", "120Y"}, {7, "岁", "007Y"}, {45, "月", "045M"},
                 {100, "天", "100D"}, {0, "", "000Y"},     {3, "周", "003Y"}};
    for (const Case& c : cases) EXPECT_EQ(ageText(c.age, c.unit), c.text) << c.age << c.unit;
}

namespace {
PatientData samplePatient() {
    PatientData p;
    p.techNo = "CT0001";
    p.hospNo = "H-17";
    p.patName = "张三";
    p.sex = "F";
    p.age = 5;
    p.ageUnit = "月";
    p.modality = "CT";
    p.birthday = "20251107";
    return p;
}
}  // namespace

TEST(StoreRequest, CarriesThePatientTheExaminationAndTheFile) {
    const TImageInfo r = buildStoreRequest(samplePatient(), 77, "/pool/3.Jpg", "A77S1I9");
    const std::vector<std::pair<int, Variant>> expected = {
        {2, Variant("CT0001")},   {3, Variant("H-17")},   {4, Variant("张三")},
        {6, Variant("20251107")}, {7, Variant("F")},      {8, Variant("005M")},
        {9, Variant("77")},       {11, Variant("A77")},   {13, Variant("")},
        {14, Variant(0)},         {15, Variant("A77S1")}, {16, Variant("CT")},
        {21, Variant("")},        {22, Variant(0)},       {23, Variant(0)},
        {24, Variant("A77S1I9")}, {25, Variant("")},      {26, Variant("/pool/3.Jpg")},
        {27, Variant(-1)},        {28, Variant(-1)},      {31, Variant("Jpg")},
        {32, Variant(-1)},        {33, Variant(-1)},      {34, Variant(-1)},
        {35, Variant(-1)},        {0, Variant("")},       {37, Variant("")},
    };
    for (const auto& [slot, value] : expected) {
        EXPECT_EQ(r.get(slot).kind(), value.kind()) << "slot " << slot;
        EXPECT_EQ(r.get(slot), value) << "slot " << slot;
    }
    EXPECT_TRUE(r.data().at(38).isEmpty());
}

TEST(StoreRequest, ImportAndSketchEditingDifferOnlyWhereTheyShould) {
    const PatientData p = samplePatient();
    const TImageInfo saved = buildStoreRequest(p, 77, "/pool/3.jpg", "A77S1I9");
    const TImageInfo imported =
        buildStoreRequest(p, 77, "/pool/3.jpg", "A77S1I9", StoreRequestOptions::importedFile());
    const TImageInfo sketch =
        buildStoreRequest(p, 77, "/pool/3.jpg", std::nullopt, StoreRequestOptions::editedSketch());
    for (int slot = 0; slot < image_slot::MinimumCount; ++slot) {
        Variant forImport = saved.get(slot), forSketch = saved.get(slot);
        if (slot == 8)
            forImport = forSketch = Variant("");
        if (slot == 24)
            forSketch = Variant("");
        if (slot == 27 || slot == 28 || (slot >= 32 && slot <= 35))
            forImport = Variant(0);
        if (slot == 14 || slot == 22 || slot == 23)
            forSketch = Variant(-1);
        EXPECT_EQ(imported.get(slot), forImport) << "slot " << slot;
        EXPECT_EQ(sketch.get(slot), forSketch) << "slot " << slot;
    }
}

using ArchiveRoundTrip = kadrix::testing::ClinicalTest;

TEST_F(ArchiveRoundTrip, AStoredRequestComesBackFromTheQuery) {
    const int32_t applyNo = kadrix::testing::registerDemoPatient(*site->database());
    const DataService data = DataService::create();
    const std::string first = newImageIdentifier(data, applyNo);
    const std::string second = newImageIdentifier(data, applyNo);
    EXPECT_EQ(first.rfind("A1201S1I", 0), 0u) << first;
    EXPECT_NE(first, second) << "each identifier takes the next serial";

    const fs::path file = root_ / "pool" / "1.jpg";
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "picture";
    const auto archive = ArchiveServer::create();
    ASSERT_TRUE(archive);
    VariantArray request = buildStoreRequest(samplePatient(), applyNo, file.string(), first).data();
    ASSERT_EQ(archive->storeImage(request), 0);
    const int32_t id = TImageInfo(Variant(request)).get(image_slot::ImageID).toInt();
    EXPECT_GT(id, 0);

    TImageInfo query;
    query.set(image_slot::ApplyNo, Variant(""));
    Variant result(query.data());
    ASSERT_EQ(archive->queryImages(4, applyNo, result), 0);
    TImageInfoList list;
    list.loadFromData(result);
    EXPECT_EQ(list.version(), "1.0");
    EXPECT_EQ(list.headerValue(), 3);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.get(0).get(image_slot::ImageID).toInt(), id);
    EXPECT_EQ(list.get(0).get(image_slot::ImageUID), Variant(first));
    EXPECT_TRUE(fs::exists(list.get(0).get(image_slot::File).toText()));
}
