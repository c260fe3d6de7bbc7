#include "kadrix/workstation/demo_content.h"

#include <gtest/gtest.h>

#include <set>

#include "test_database.h"

namespace kadrix::workstation::testing {
namespace {

class DemoContentTest : public ClinicDatabaseTest {
  protected:
    void SetUp() override {
        ClinicDatabaseTest::SetUp();
        Status s = seedDemoContent(*db, "RIS", "admin", today);
        ASSERT_TRUE(s.ok()) << s.message();
    }
    const double today = date(2024, 3, 5, 7, 45);
};

TEST_F(DemoContentTest, RegistersADozenVariedPatientsToday) {
    auto packet =
        db->openSql("Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'admin' ,''");
    ASSERT_TRUE(packet.ok()) << packet.message();
    EXPECT_EQ(packet->rows.size(), 12u);
    for (const auto& row : packet->rows) {
        EXPECT_FALSE(row[0].toText().empty());
        EXPECT_FALSE(row[1].toText().empty());
    }
    std::set<std::string> units, sexes, modalities;
    for (const std::string& row : rows("Select AgeUnit, Sex, Modality From RIS_List")) {
        units.insert(row.substr(0, row.find('|')));
        sexes.insert(row.substr(row.find('|') + 1, 1));
        modalities.insert(row.substr(row.rfind('|') + 1));
    }
    EXPECT_EQ(units, (std::set<std::string>{"岁", "月", "天"}));
    EXPECT_EQ(sexes, (std::set<std::string>{"1", "2"}));
    EXPECT_EQ(modalities, (std::set<std::string>{"CT", "MR", "US", "ES", "DR"}));
    // Another user sees the unassigned ones only.
    auto other =
        db->openSql("Exec rsp_GetPatList '2024-03-05',  '2024-03-05',  0,0, 'RIS', 'guest' ,''");
    ASSERT_TRUE(other.ok());
    EXPECT_GT(other->rows.size(), 0u);
    EXPECT_LT(other->rows.size(), 12u);
}

TEST_F(DemoContentTest, EveryPatientHasAnInstrumentWithCaptions) {
    EXPECT_TRUE(rows("Select ApplyNo From RIS_List A Where Not Exists (Select 1 From Instrument B "
                     "Where B.InstID = "
                     "A.ReportID)")
                    .empty());
    auto instruments = db->instruments();
    ASSERT_TRUE(instruments.ok());
    ASSERT_EQ(instruments->size(), 6u);
    for (const Instrument& i : *instruments) {
        auto captions = rows(
            "select ItemName from RIS_SpecialItemDic  where Parent in (select ItemID from "
            "RIS_SpecialItemDic  where Parent "
            "in (select ItemID from RIS_SpecialItemDic where ItemCode = " +
            std::to_string(i.instId) + ") and ItemName = '图注' )");
        EXPECT_GE(captions.size(), 4u) << i.instCode;
    }
    EXPECT_EQ(rows("Select InstCode From Instrument Where InstID = 1"),
              std::vector<std::string>{"WJ01"});
}

TEST_F(DemoContentTest, EachImageRightIsGrantedToSomeUsersAndNotToOthers) {
    for (std::string_view right : ImageRightNames) {
        EXPECT_GT(db->right("RIS", ImageRightsModule, "admin", right).value(), 0) << right;
        EXPECT_EQ(db->right("RIS", ImageRightsModule, DemoGuestId, right).value(), 0) << right;
    }
    EXPECT_GT(db->right("RIS", ImageRightsModule, DemoDoctorId, "DelImages").value(), 0);
    EXPECT_EQ(db->right("RIS", ImageRightsModule, DemoDoctorId, "SetImages").value(), 0);
    EXPECT_EQ(rows("Select count(*) From Kx_User"), std::vector<std::string>{"3"});
}

TEST_F(DemoContentTest, SeedingAgainAddsOnlyWhatIsMissing) {
    const auto before = snapshot();
    ASSERT_TRUE(seedDemoContent(*db, "RIS", "admin", today).ok());
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(seedDemoContent(*db, "RIS", "admin", today + 1).ok());
    EXPECT_EQ(rows("Select count(*) From RIS_List"), std::vector<std::string>{"24"});
    EXPECT_EQ(rows("Select count(*) From Instrument"), std::vector<std::string>{"6"});
    EXPECT_EQ(rows("Select count(distinct ApplyNo) From RIS_List"), std::vector<std::string>{"24"});
}

TEST_F(DemoContentTest, NeedsNoOpenTransaction) {
    ASSERT_TRUE(db->beginTransaction().ok());
    EXPECT_FALSE(seedDemoContent(*db, "RIS", "admin", today + 2).ok());
    ASSERT_TRUE(db->rollbackTransaction().ok());
}

}  // namespace
}  // namespace kadrix::workstation::testing
