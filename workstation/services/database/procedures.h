// The clinic's stored procedures, as the image module calls them with Exec:
//   rsp_SaveImgSketchMap applyNo, imageId, PosX, PosY, PosXE, PosYE, PosColor, "caption", IsShape,
//   SketchID
//       stores the sketch mark of one image (one result row per item, ItemCode the image id),
//       replacing the image's earlier mark.
//   Rsp_DoRisOnDelImage applyNo, imageId, withMarks
//       removes the image's print registration, and with withMarks 1 its sketch mark.
//   rsp_GrabPrintImages applyNo, imageId, 0, 'printNumber'
//   rsp_GrabPrintImages applyNo, imageId, 1
//       registers the image for printing (one row per image, ItemCode 'Image', ItemResult the
//       id, ItemName PrintNumberPrefix followed by the print number text); the second form,
//       for imported images, takes the number after the highest one of the examination.
//   rsp_GetPatList 'from', 'to', 0, 0, 'sysCode', 'userId', ''
//       the patients registered on the days from..to (inclusive) for the system, assigned to
//       the user or to nobody: columns "姓名", PatNameSpell, TechNo, HospNo, ApplyNo. The last
//       argument is reserved and ignored.
// Arguments are checked before anything runs; values are bound, never spliced.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialect_translator.h"
#include "kadrix/platform/data_packet.h"
#include "kadrix/platform/status.h"

struct sqlite3;

namespace kadrix::workstation::procedures {

// Nine characters before the print number in a print registration's ItemName.
inline constexpr std::string_view PrintNumberPrefix = "PrintNo: ";
static_assert(PrintNumberPrefix.size() == 9);

struct Procedure;

struct ArgumentValue {
    int64_t integer = 0;
    double date = 0;
    std::string text;
};

struct CheckedCall {
    const Procedure* procedure = nullptr;
    std::vector<ArgumentValue> values;
};

// Finds the procedure (names without regard to case) and checks the number and kind of the
// arguments.
platform::Result<CheckedCall> check(const sql::ProcedureCall& call);

// Runs a checked call; the rows for a procedure that returns rows. The caller makes it atomic.
platform::Result<std::optional<platform::DataPacket>> run(sqlite3* db, const CheckedCall& call);

// The print number text of a registration: four digits for 0-999, "0" and the number above.
std::string printNumberText(int number);

}  // namespace kadrix::workstation::procedures
