// A clinic database in a temporary folder of its own, and the ways the tests look at it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "kadrix/platform/date_time.h"
#include "kadrix/workstation/clinic_database.h"

namespace kadrix::workstation::testing {

class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kx-clinic-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A value as the tests compare it: dates of the last minutes read "now", other dates as
// "yyyy-mm-dd[ hh:mm:ss]", nulls "NULL".
inline std::string render(const platform::Variant& v) {
    if (v.isNull())
        return "NULL";
    if (v.kind() == platform::Variant::Kind::DateTime) {
        if (std::fabs(v.toDateTime() - platform::currentDateTime()) < 5.0 / (24 * 60))
            return "now";
        return platform::formatIso(v.toDateTime());
    }
    return v.toText();
}

inline std::vector<std::string> renderRows(const platform::DataPacket& packet) {
    std::vector<std::string> rows;
    for (const auto& row : packet.rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) line += (c ? "|" : "") + render(row[c]);
        rows.push_back(line);
    }
    return rows;
}

inline std::vector<std::string> columnNames(const platform::DataPacket& packet) {
    std::vector<std::string> names;
    for (const auto& c : packet.columns) names.push_back(c.name);
    return names;
}

class ClinicDatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override { db = open(); }

    std::unique_ptr<ClinicDatabase> open() {
        auto opened = openClinicDatabase(file());
        EXPECT_TRUE(opened.ok()) << opened.message();
        return opened.ok() ? std::move(opened).value() : nullptr;
    }

    std::filesystem::path file() const { return folder.path() / "clinic.db"; }

    std::vector<std::string> rows(std::string_view query) {
        auto packet = db->openSql(query);
        EXPECT_TRUE(packet.ok()) << packet.message() << "\n  in: " << query;
        return packet.ok() ? renderRows(*packet) : std::vector<std::string>{"<failed>"};
    }

    void exec(std::string_view batch) {
        Status s = db->execSql(batch);
        EXPECT_TRUE(s.ok()) << s.message() << "\n  in: " << batch;
    }

    // Every row of every table, to show that a refused statement changed nothing.
    std::vector<std::string> snapshot() {
        static const char* const tables[] = {"RIS_List",
                                             "Instrument",
                                             "Ris_Result",
                                             "RIS_SpecialItemDic",
                                             "RIS_ImageProcessInfo",
                                             "RIS_ImageProcessArrowInfo",
                                             "Ris_ImageMeasureInfo",
                                             "Kx_SerialCounter",
                                             "Kx_Setting",
                                             "Kx_User",
                                             "Kx_UserRight",
                                             "Kx_SchemaVersion"};
        std::vector<std::string> out;
        for (const char* table : tables) {
            out.push_back(std::string("== ") + table);
            for (std::string& row : rows(std::string("Select * From ") + table))
                out.push_back(std::move(row));
        }
        return out;
    }

    TemporaryFolder folder;
    std::unique_ptr<ClinicDatabase> db;
};

inline double date(int y, int m, int d, int hour = 0, int minute = 0) {
    return platform::encodeDateTime({y, m, d, hour, minute, 0, 0});
}

}  // namespace kadrix::workstation::testing
