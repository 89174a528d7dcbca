// The system date parser the list sort uses to recognise dates: text to an OLE automation date.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace platform {

// Parses a date, a time of day, or both (either order, separated by blanks) and returns it as an
// OLE automation date: whole days since 1899-12-30, the time of day as the fraction. As in that
// format, a date before 1899-12-30 is negative with the time of day still counting away from
// zero (-1.25 is 1899-12-29 06:00). A time alone falls on day 0.
//
// Accepted: "2026-12-07", "2026/12/7", "2026.12.07", "07/12/2026" and "07/12/26" (day and month in
// the locale's short-date order), "7 Dec 2026", "Dec 7, 2026", "2026 Dec 7", "2026年12月7日",
// month names in English or the locale's language; times "12:30", "13:45:10", "13:45:10.250",
// "1:30 PM", "3 PM". Two-digit years 00..29 are 2000..2029, 30..99 are 1930..1999. Years run from
// 100 to 9999. Plain numbers, IP addresses, MAC addresses and version texts are not dates.
std::optional<double> ParseDate(const QString& text, const QLocale& locale);

// The same for the user's default locale (QLocale::system()).
std::optional<double> ParseDate(const QString& text);

}  // namespace platform
