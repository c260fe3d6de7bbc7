#include "kadrix/platform/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace kadrix::platform {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr int64_t Epoch1899 = -25569;  // 1899-12-30 counted from 1970-01-01

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

}  // namespace

double encodeDateTime(const DateParts& p) {
    const double days = static_cast<double>(daysFromCivil(p.year, p.month, p.day) - Epoch1899);
    const double time = (p.hour * 3600000.0 + p.minute * 60000.0 + p.second * 1000.0 + p.millisecond) / 86400000.0;
    // Before the epoch the fraction still counts forward in time, as the platform defines it.
    return days < 0 ? days - time : days + time;
}

Result<double> tryEncodeDateTime(const DateParts& p) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > daysIn(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
        p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999)
        return Status::failure("not a valid date or time");
    return encodeDateTime(p);
}

DateParts decodeDateTime(double value) {
    DateParts p;
    const double whole = std::trunc(value);
    double fraction = std::fabs(value - whole);
    int64_t ms = std::llround(fraction * 86400000.0);
    int64_t day = static_cast<int64_t>(whole);
    if (ms >= 86400000) {
        ms -= 86400000;
        day += value < 0 ? -1 : 1;
    }
    civilFromDays(day + Epoch1899, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3600000);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

double currentDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return encodeDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                           static_cast<int>(ms)});
}

std::string formatYmd(double value) {
    const DateParts p = decodeDateTime(value);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", p.year % 10000, p.month, p.day);
    return buffer;
}

std::string formatIso(double value) {
    const DateParts p = decodeDateTime(value);
    char buffer[32];
    if (p.hour == 0 && p.minute == 0 && p.second == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year % 10000, p.month, p.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year % 10000, p.month, p.day,
                      p.hour, p.minute, p.second);
    return buffer;
}

Result<double> parseIsoDateTime(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    DateParts p;
    size_t i = 0;
    const auto number = [&](size_t digits, int& out) {
        if (i + digits > text.size()) return false;
        out = 0;
        for (size_t k = 0; k < digits; ++k) {
            const char c = text[i + k];
            if (c < '0' || c > '9') return false;
            out = out * 10 + (c - '0');
        }
        i += digits;
        return true;
    };
    const auto expect = [&](char c) {
        if (i < text.size() && text[i] == c) return ++i, true;
        return false;
    };
    if (!number(4, p.year)) return Status::failure("not a date: " + std::string(text));
    if (i < text.size() && (text[i] == '-' || text[i] == '/')) {
        const char sep = text[i++];
        if (!number(2, p.month) || !expect(sep) || !number(2, p.day))
            return Status::failure("not a date: " + std::string(text));
    } else if (!number(2, p.month) || !number(2, p.day)) {
        return Status::failure("not a date: " + std::string(text));
    }
    if (i < text.size()) {
        if (!(expect(' ') || expect('T')) || !number(2, p.hour) || !expect(':') || !number(2, p.minute))
            return Status::failure("not a date-time: " + std::string(text));
        if (expect(':') && !number(2, p.second)) return Status::failure("not a date-time: " + std::string(text));
        if (expect('.') && !number(3, p.millisecond))
            return Status::failure("not a date-time: " + std::string(text));
        if (i != text.size()) return Status::failure("not a date-time: " + std::string(text));
    }
    return tryEncodeDateTime(p);
}

}  // namespace kadrix::platform
