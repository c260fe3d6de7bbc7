// Date-times as the host platform keeps them: a double count of days since 1899-12-30 00:00,
// the fraction being the time of day.
#pragma once

#include <string>

#include "kadrix/platform/export.h"
#include "kadrix/platform/status.h"

namespace kadrix::platform {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

KX_PLATFORM_API double encodeDateTime(const DateParts& parts);
KX_PLATFORM_API DateParts decodeDateTime(double dateTime);
// Fails for a month, day or time out of range.
KX_PLATFORM_API Result<double> tryEncodeDateTime(const DateParts& parts);
KX_PLATFORM_API double currentDateTime();
// "yyyymmdd" of the date.
KX_PLATFORM_API std::string formatYmd(double dateTime);
// "yyyy-mm-dd hh:mm:ss", without the time when it is midnight.
KX_PLATFORM_API std::string formatIso(double dateTime);
// Reads "yyyy-mm-dd[ hh:mm[:ss[.zzz]]]" (also with "T"), "yyyymmdd" and "yyyy/mm/dd".
KX_PLATFORM_API Result<double> parseIsoDateTime(std::string_view text);

}  // namespace kadrix::platform
