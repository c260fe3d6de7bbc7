#include "archive_index.h"

#include <sqlite3.h>

#include <climits>
#include <cstdint>
#include <variant>

namespace kadrix::workstation {
using platform::Result;
using platform::Status;

struct ArchiveIndex::Impl {
    sqlite3* db = nullptr;
    ~Impl() {
        if (db) sqlite3_close(db);
    }
    Status fail(const std::string& what) const { return Status::failure(what + ": " + sqlite3_errmsg(db)); }

    // Runs one statement with its values bound; `row` sees each result row.
    using Value = std::variant<int64_t, std::string>;
    template <typename Row>
    Status run(const char* sql, const std::vector<Value>& values, Row row) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return fail("archive index");
        int i = 1;
        for (const Value& v : values) {
            if (const auto* n = std::get_if<int64_t>(&v))
                sqlite3_bind_int64(st, i++, *n);
            else {
                const std::string& t = std::get<std::string>(v);
                sqlite3_bind_text(st, i++, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
            }
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) row(st);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE ? Status() : fail("archive index");
    }
};

namespace {
std::string text(sqlite3_stmt* st, int c) {
    const auto* p = sqlite3_column_text(st, c);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(sqlite3_column_bytes(st, c))) : "";
}
ArchiveRow rowOf(sqlite3_stmt* st) {
    return {sqlite3_column_int(st, 0), sqlite3_column_int(st, 1), text(st, 2), text(st, 3), text(st, 4), text(st, 5)};
}
constexpr const char* Columns = "SELECT ImageID, ApplyNo, Modality, FileType, StoredFile, Description FROM ArchiveImages ";
}  // namespace

ArchiveIndex::ArchiveIndex(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ArchiveIndex::~ArchiveIndex() = default;

Result<std::unique_ptr<ArchiveIndex>> ArchiveIndex::open(const std::filesystem::path& file) {
    auto impl = std::make_unique<Impl>();
    if (sqlite3_open_v2(file.c_str(), &impl->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        return impl->fail("cannot open the archive index " + file.string());
    sqlite3_busy_timeout(impl->db, 10000);
    const char* schema =
        "CREATE TABLE IF NOT EXISTS ArchiveImages ("
        " ImageID INTEGER PRIMARY KEY AUTOINCREMENT, ApplyNo INTEGER NOT NULL, Modality TEXT NOT NULL DEFAULT '',"
        " FileType TEXT NOT NULL DEFAULT '', StoredFile TEXT NOT NULL DEFAULT '', Description TEXT NOT NULL DEFAULT '',"
        " Stored INTEGER NOT NULL DEFAULT 0, StoredAt TEXT);"
        "CREATE INDEX IF NOT EXISTS ArchiveImagesByApplyNo ON ArchiveImages(ApplyNo, Stored);";
    if (sqlite3_exec(impl->db, schema, nullptr, nullptr, nullptr) != SQLITE_OK)
        return impl->fail("cannot create the archive index");
    return std::unique_ptr<ArchiveIndex>(new ArchiveIndex(std::move(impl)));
}

Result<int32_t> ArchiveIndex::reserve(int32_t applyNo, const std::string& modality, const std::string& fileType) {
    int64_t id = 0;
    if (Status s = impl_->run("INSERT INTO ArchiveImages(ApplyNo, Modality, FileType) VALUES (?, ?, ?) RETURNING ImageID",
                              {int64_t{applyNo}, modality, fileType},
                              [&](sqlite3_stmt* st) { id = sqlite3_column_int64(st, 0); });
        !s)
        return s;
    if (id <= 0 || id > INT32_MAX) return Status::failure("the archive index gave no image id");
    return static_cast<int32_t>(id);
}

Status ArchiveIndex::complete(int32_t imageId, const std::string& storedFile, const std::string& description) {
    int changed = 0;
    Status s = impl_->run(
        "UPDATE ArchiveImages SET Stored = 1, StoredAt = datetime('now'), StoredFile = ?2, Description = ?3 "
        "WHERE ImageID = ?1 AND Stored = 0 RETURNING ImageID",
        {int64_t{imageId}, storedFile, description}, [&](sqlite3_stmt*) { ++changed; });
    if (s && changed != 1) return Status::failure("no reserved image " + std::to_string(imageId) + " to complete");
    return s;
}

Status ArchiveIndex::drop(int32_t imageId) {
    return impl_->run("DELETE FROM ArchiveImages WHERE ImageID = ?", {int64_t{imageId}}, [](sqlite3_stmt*) {});
}

Result<std::vector<ArchiveRow>> ArchiveIndex::stored(int32_t applyNo, const std::string& modality, bool leaveOutDicom) {
    std::vector<ArchiveRow> rows;
    const std::string sql = std::string(Columns) +
                            "WHERE ApplyNo = ?1 AND Stored = 1 AND (?2 = '' OR upper(Modality) = upper(?2)) "
                            "AND (?3 = 0 OR lower(FileType) <> 'dcm') ORDER BY ImageID";
    Status s = impl_->run(sql.c_str(), {int64_t{applyNo}, modality, int64_t{leaveOutDicom ? 1 : 0}},
                          [&](sqlite3_stmt* st) { rows.push_back(rowOf(st)); });
    if (!s) return s;
    return rows;
}

Result<ArchiveRow> ArchiveIndex::find(int32_t imageId) {
    std::vector<ArchiveRow> rows;
    const std::string sql = std::string(Columns) + "WHERE ImageID = ? AND Stored = 1";
    Status s = impl_->run(sql.c_str(), {int64_t{imageId}}, [&](sqlite3_stmt* st) { rows.push_back(rowOf(st)); });
    if (!s) return s;
    if (rows.empty()) return Status::failure("no stored image " + std::to_string(imageId));
    return rows.front();
}

}  // namespace kadrix::workstation
