// The clinic database in one SQLite file. Statement batches go through the dialect layer;
// every statement of a batch is atomic on its own (a transaction, or a savepoint inside the
// caller's transaction), and the whole batch is read and checked before its first statement
// runs. One object is one connection, used from one thread at a time; programs sharing the
// file wait for each other's write locks up to a busy timeout.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "kadrix/workstation/clinic_database.h"

struct sqlite3;

namespace kadrix::workstation {

class SqliteClinicDatabase final : public ClinicDatabase {
  public:
    // How long a statement waits for another program's write lock before it fails.
    static constexpr int BusyTimeoutMs = 10000;

    static Result<std::unique_ptr<SqliteClinicDatabase>> open(const std::filesystem::path& file);
    ~SqliteClinicDatabase() override;
    SqliteClinicDatabase(const SqliteClinicDatabase&) = delete;
    SqliteClinicDatabase& operator=(const SqliteClinicDatabase&) = delete;

    Result<DataPacket> openSql(std::string_view batch) override;
    Status execSql(std::string_view batch) override;
    Status beginTransaction() override;
    Status commitTransaction() override;
    Status rollbackTransaction() override;
    Result<int32_t> nextSerial(std::string_view counter, int32_t count) override;
    Result<std::string> setting(std::string_view section, std::string_view key) override;
    Status setSetting(std::string_view section, std::string_view key,
                      std::string_view value) override;
    Result<int32_t> right(std::string_view sysCode, std::string_view module,
                          std::string_view userId, std::string_view rightName) override;
    Status grantRight(std::string_view sysCode, std::string_view module, std::string_view userId,
                      std::string_view rightName, int32_t value) override;
    Status registerPatient(const PatientRegistration& registration) override;
    Status addInstrument(const Instrument& instrument) override;
    Status addCaption(int32_t reportId, std::string_view caption) override;
    Status addUser(std::string_view userId, std::string_view userName) override;
    Result<std::vector<Instrument>> instruments() override;
    Result<std::vector<PatientRegistration>> registrations(std::string_view sysCode,
                                                           double firstDay,
                                                           double lastDay) override;

  private:
    explicit SqliteClinicDatabase(sqlite3* db) : db_(db) {}
    // Runs a batch; the rows of its last statement that yields rows.
    Result<std::optional<DataPacket>> runBatch(std::string_view batch);

    sqlite3* db_ = nullptr;
};

}  // namespace kadrix::workstation
