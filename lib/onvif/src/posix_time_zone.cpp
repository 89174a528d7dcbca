#include "onvif/posix_time_zone.h"

#include <chrono>

namespace onvif {
namespace {

constexpr std::int64_t kDayS = 86400;
constexpr std::int64_t kHourS = 3600;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Reader {
 public:
  explicit Reader(std::string_view text) : m_text(text) {}

  bool AtEnd() const { return m_at == m_text.size(); }
  bool Take(char c) {
    if (m_at < m_text.size() && m_text[m_at] == c) {
      ++m_at;
      return true;
    }
    return false;
  }
  bool Peek(char c) const { return m_at < m_text.size() && m_text[m_at] == c; }
  bool PeekNameStart() const {
    return m_at < m_text.size() && (IsAlpha(m_text[m_at]) || m_text[m_at] == '<');
  }

  // A zone name: three or more letters, or <...> of letters, digits and signs.
  bool Name() {
    std::size_t length = 0;
    if (Take('<')) {
      while (m_at < m_text.size() && m_text[m_at] != '>') {
        const char c = m_text[m_at++];
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-') return false;
        ++length;
      }
      return Take('>') && length >= 3;
    }
    while (m_at < m_text.size() && IsAlpha(m_text[m_at])) {
      ++m_at;
      ++length;
    }
    return length >= 3;
  }

  // Up to maxDigits digits, at least one, no larger than max.
  bool Number(int maxDigits, int max, int* value) {
    int digits = 0;
    int number = 0;
    while (m_at < m_text.size() && digits < maxDigits && IsDigit(m_text[m_at])) {
      number = number * 10 + (m_text[m_at++] - '0');
      ++digits;
    }
    if (digits == 0 || number > max) return false;
    *value = number;
    return true;
  }

  // [+|-]hh[:mm[:ss]] in seconds, hours up to maxHours.
  bool Time(int maxHours, std::int64_t* seconds) {
    int sign = 1;
    if (Take('-')) {
      sign = -1;
    } else {
      Take('+');
    }
    int hours = 0, minutes = 0, secs = 0;
    if (!Number(3, maxHours, &hours)) return false;
    if (Take(':')) {
      if (!Number(2, 59, &minutes)) return false;
      if (Take(':') && !Number(2, 59, &secs)) return false;
    }
    *seconds = sign * (hours * kHourS + minutes * 60LL + secs);
    return true;
  }

  bool Rule(PosixTimeZone::Rule* rule) {
    using Kind = PosixTimeZone::Rule::Kind;
    if (Take('J')) {
      rule->kind = Kind::kJulian;
      if (!Number(3, 365, &rule->day) || rule->day < 1) return false;
    } else if (Take('M')) {
      rule->kind = Kind::kMonthWeekDay;
      if (!Number(2, 12, &rule->month) || rule->month < 1 || !Take('.') ||
          !Number(1, 5, &rule->week) || rule->week < 1 || !Take('.') || !Number(1, 6, &rule->day)) {
        return false;
      }
    } else {
      rule->kind = Kind::kZeroBased;
      if (!Number(3, 365, &rule->day)) return false;
    }
    rule->timeS = 2 * kHourS;
    // POSIX.1-2008 allows transition times from -167 to 167 hours.
    return !Take('/') || Time(167, &rule->timeS);
  }

 private:
  std::string_view m_text;
  std::size_t m_at = 0;
};

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int64_t DaysSinceEpoch(int year, unsigned month, unsigned day) {
  using namespace std::chrono;
  return sys_days(year_month_day{std::chrono::year(year), std::chrono::month(month),
                                 std::chrono::day(day)})
      .time_since_epoch()
      .count();
}

int YearOf(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_days day{days(seconds >= 0 ? seconds / kDayS : (seconds - kDayS + 1) / kDayS)};
  return static_cast<int>(year_month_day(day).year());
}

// The day (since 1970) on which rule falls in year.
std::int64_t RuleDay(const PosixTimeZone::Rule& rule, int year) {
  using Kind = PosixTimeZone::Rule::Kind;
  const std::int64_t january1 = DaysSinceEpoch(year, 1, 1);
  switch (rule.kind) {
    case Kind::kJulian:
      // Jn never counts 29 February.
      return january1 + rule.day - 1 + (IsLeap(year) && rule.day >= 60 ? 1 : 0);
    case Kind::kZeroBased:
      return january1 + rule.day;
    case Kind::kMonthWeekDay:
      break;
  }
  const std::int64_t first = DaysSinceEpoch(year, static_cast<unsigned>(rule.month), 1);
  // 1 January 1970 was a Thursday (weekday 4).
  const int firstWeekday = static_cast<int>(((first % 7) + 7 + 4) % 7);
  std::int64_t day = first + (rule.day - firstWeekday + 7) % 7 + 7 * (rule.week - 1);
  const std::int64_t nextMonth =
      rule.month == 12 ? DaysSinceEpoch(year + 1, 1, 1)
                       : DaysSinceEpoch(year, static_cast<unsigned>(rule.month + 1), 1);
  while (day >= nextMonth) day -= 7;  // week 5 is the last such day of the month
  return day;
}

}  // namespace

bool PosixTimeZone::DaylightAtUtc(std::int64_t utcSeconds) const {
  if (!hasDaylightSaving) return false;
  const int year = YearOf(utcSeconds + standardEastS);
  // The start is written in standard time, the end in daylight time.
  const std::int64_t startUtc = RuleDay(start, year) * kDayS + start.timeS - standardEastS;
  const std::int64_t endUtc = RuleDay(end, year) * kDayS + end.timeS - daylightEastS;
  if (startUtc < endUtc) return utcSeconds >= startUtc && utcSeconds < endUtc;
  // Southern hemisphere: daylight time spans the turn of the year.
  return utcSeconds >= startUtc || utcSeconds < endUtc;
}

std::int64_t PosixTimeZone::OffsetAtUtc(std::int64_t utcSeconds) const {
  return DaylightAtUtc(utcSeconds) ? daylightEastS : standardEastS;
}

std::int64_t PosixTimeZone::OffsetAtLocal(std::int64_t localSeconds) const {
  if (hasDaylightSaving && DaylightAtUtc(localSeconds - daylightEastS)) return daylightEastS;
  return standardEastS;
}

std::optional<PosixTimeZone> ParsePosixTimeZone(std::string_view text) {
  Reader reader(text);
  PosixTimeZone zone;
  std::int64_t west = 0;
  if (!reader.Name() || !reader.Time(24, &west)) return std::nullopt;
  // POSIX counts west of Greenwich as positive.
  zone.standardEastS = -west;
  if (reader.AtEnd()) return zone;
  if (!reader.PeekNameStart() || !reader.Name()) return std::nullopt;
  zone.hasDaylightSaving = true;
  zone.daylightEastS = zone.standardEastS + kHourS;
  if (!reader.AtEnd() && !reader.Peek(',')) {
    if (!reader.Time(24, &west)) return std::nullopt;
    zone.daylightEastS = -west;
  }
  if (reader.AtEnd()) {
    // No rule written: the one most systems assume (second Sunday of March to first of November).
    zone.start = {PosixTimeZone::Rule::Kind::kMonthWeekDay, 0, 3, 2, 2 * kHourS};
    zone.end = {PosixTimeZone::Rule::Kind::kMonthWeekDay, 0, 11, 1, 2 * kHourS};
    return zone;
  }
  if (!reader.Take(',') || !reader.Rule(&zone.start) || !reader.Take(',') ||
      !reader.Rule(&zone.end) || !reader.AtEnd()) {
    return std::nullopt;
  }
  return zone;
}

}  // namespace onvif
