// Dates as the module writes them: "yyyymmdd" inside image descriptions, "YYYY-MM-DD" for the
// patient list's date arguments.
#pragma once

#include <string>
#include <string_view>

#include "kadrix/platform/date_time.h"

namespace kadrix::clinical {

// "yyyymmdd" of a date-time (days since 1899-12-30).
std::string ymdStamp(double day);
// "YYYY-MM-DD" of a date-time.
std::string isoDayStamp(double day);

// The eight-digit form of a date text. Blanks are trimmed; fewer than eight characters left
// give `today`; a year followed by "-" or "." loses its separators, a one-digit month or day
// getting its leading zero (2008-3-5 gives 20080305); any other text is kept as it is.
std::string normaliseDateText(std::string_view text, double today = platform::currentDateTime());

}  // namespace kadrix::clinical
