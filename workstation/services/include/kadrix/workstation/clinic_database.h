// The clinic database as the host's data service sees it: statement batches in the clinic's
// SQL dialect, transactions, serial counters, and the stores the other host services keep in
// the database (settings, user rights, patient registrations). The SQLite implementation is
// the reference; a server database can take its place behind this interface.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kadrix/platform/data_packet.h"
#include "kadrix/platform/status.h"

namespace kadrix::workstation {

using platform::DataPacket;
using platform::Result;
using platform::Status;

// One examination application with its patient, as the registration desk enters it.
struct PatientRegistration {
    int32_t applyNo = 0;
    int32_t reportId = 0;  // the instrument (Instrument.InstID)
    std::string techNo, hospNo, patName, patNameSpell, modality, ageUnit;
    int32_t age = 0;
    int32_t sex = 0;          // 1 male, 2 female
    double birthday = 0;      // date-time, days since 1899-12-30
    double registered = 0;    // date-time of the registration
    std::string sysCode;      // the system that registered it
    std::string userId;       // the user it is assigned to
};

struct Instrument {
    int32_t instId = 0;
    std::string instCode, instName;
};

class ClinicDatabase {
public:
    virtual ~ClinicDatabase() = default;

    // OpenSql: runs a batch and returns the rows of its last statement that yields rows (with
    // its columns even when no row matched). A batch that yields no rows gives a packet without
    // columns.
    virtual Result<DataPacket> openSql(std::string_view batch) = 0;
    // ExecSql: runs a batch. A failing statement fails the call; outside a transaction the
    // statements before it stay applied.
    virtual Status execSql(std::string_view batch) = 0;

    virtual Status beginTransaction() = 0;
    virtual Status commitTransaction() = 0;
    virtual Status rollbackTransaction() = 0;

    // GetSerialNo: reserves `count` values of the named counter and returns the first one;
    // unique across every process and workstation sharing the database.
    virtual Result<int32_t> nextSerial(std::string_view counter, int32_t count) = 0;

    // The settings store behind IniInfo: "" for a value never stored.
    virtual Result<std::string> setting(std::string_view section, std::string_view key) = 0;
    virtual Status setSetting(std::string_view section, std::string_view key, std::string_view value) = 0;

    // HasRightEx: the right's value for the user, 0 when not granted.
    virtual Result<int32_t> right(std::string_view sysCode, std::string_view module, std::string_view userId,
                                  std::string_view rightName) = 0;
    virtual Status grantRight(std::string_view sysCode, std::string_view module, std::string_view userId,
                              std::string_view rightName, int32_t value) = 0;

    virtual Status registerPatient(const PatientRegistration& registration) = 0;
    virtual Status addInstrument(const Instrument& instrument) = 0;
    // Adds a caption choice below the instrument's legend node of the dictionary (the tree that
    // the sketch panel's caption query walks).
    virtual Status addCaption(int32_t reportId, std::string_view caption) = 0;

    // Adds a user of the workstation or renames one.
    virtual Status addUser(std::string_view userId, std::string_view userName) = 0;
    virtual Result<std::vector<Instrument>> instruments() = 0;
    // The registrations of a system on the days firstDay..lastDay (whole days, inclusive), every
    // user's, in the order they were registered.
    virtual Result<std::vector<PatientRegistration>> registrations(std::string_view sysCode,
                                                                   double firstDay,
                                                                   double lastDay) = 0;
};

// Opens the SQLite clinic database in `file`, creating it with its schema when missing.
Result<std::unique_ptr<ClinicDatabase>> openClinicDatabase(const std::filesystem::path& file);

}  // namespace kadrix::workstation
