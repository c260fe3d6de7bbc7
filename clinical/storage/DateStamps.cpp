#include "storage/DateStamps.h"

#include <QString>

#include <cstdio>

namespace kadrix::clinical {

std::string ymdStamp(double day) {
    return platform::formatYmd(day);
}

std::string isoDayStamp(double day) {
    const platform::DateParts p = platform::decodeDateTime(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
    return text;
}

namespace {

bool isBlank(QChar c) {
    return c.unicode() <= ' ';
}
bool isDigit(QChar c) {
    return c >= '0' && c <= '9';
}

QString trimmedOfBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

// One or two digits at `pos`, with a leading zero added; empty when there are none.
QString twoDigits(const QString& text, qsizetype& pos) {
    qsizetype end = pos;
    while (end < text.size() && end - pos < 2 && isDigit(text[end])) ++end;
    if (end == pos)
        return {};
    QString digits = text.mid(pos, end - pos);
    pos = end;
    return digits.size() == 1 ? "0" + digits : digits;
}

}  // namespace

std::string normaliseDateText(std::string_view text, double today) {
    const QString t =
        trimmedOfBlanks(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (t.size() < 8)
        return ymdStamp(today);
    const QChar separator = t[4];
    if (separator != '-' && separator != '.')
        return t.toStdString();

    // Year, month and day with the same separator between them; what follows the day (a time)
    // is dropped, as the fixed positions do.
    qsizetype pos = 5;
    const QString month = twoDigits(t, pos);
    if (!month.isEmpty() && pos < t.size() && t[pos] == separator) {
        ++pos;
        const QString day = twoDigits(t, pos);
        if (!day.isEmpty() && (pos == t.size() || !isDigit(t[pos])))
            return (t.left(4) + month + day).toStdString();
    }
    return (t.mid(0, 4) + t.mid(5, 2) + t.mid(8, 2)).toStdString();
}

}  // namespace kadrix::clinical
