// The archive server's fault date: what image descriptions carry in their date slots until a
// real date is known.
#pragma once

#include <string>

namespace kadrix::clinical {

inline constexpr const char* DefaultFaultDate = "19000101";

// Item "FaultDate" of section "Common" of the server's settings file; "19000101" when the
// file, the section or the item is missing or the text is empty.
std::string readFaultDate(const std::string& settingsFile);

// The fault date of the installed server, read once per process.
const std::string& faultDate();

}  // namespace kadrix::clinical
