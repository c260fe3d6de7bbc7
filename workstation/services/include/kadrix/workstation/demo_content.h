// Demo content of the reference workstation: what a clinic's database holds on a normal
// morning, so the image module can be tried without a registration desk. Made at set-up,
// from nothing but this code.
#pragma once

#include <string_view>

#include "kadrix/workstation/clinic_database.h"

namespace kadrix::workstation {

// The module and the names of the image rights, in the order the image module asks for them.
inline constexpr std::string_view ImageRightsModule = "right_ImageList";
inline constexpr std::string_view ImageRightNames[] = {"DelImages", "DelAllImages", "ExpImages",
                                                       "ExpAllImages", "SetImages"};

// Users besides the workstation's own (`userId` below, which gets every image right): one with
// some of the rights and one with none, so each right is both granted and refused somewhere.
inline constexpr std::string_view DemoDoctorId = "doctor01";  // DelImages, ExpImages, ExpAllImages
inline constexpr std::string_view DemoGuestId = "guest";      // no image right

// Fills the database in one transaction (so no transaction may be open):
// - instruments of the examination rooms (their codes name the sketch templates, e.g. "WJ01")
//   with the caption choices of their sketch panels;
// - the users and their image rights for the system `sysCode`;
// - a dozen patients registered on the day of `today` for `sysCode`, most assigned to `userId`,
//   some to nobody.
// Running it again adds only what is missing: instruments by id, and patients only when none is
// registered for the system on that day.
Status seedDemoContent(ClinicDatabase& database, std::string_view sysCode, std::string_view userId,
                       double today);

}  // namespace kadrix::workstation
