#include "sim/detail/onvif_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace camsim::detail {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads exactly count digits at pos.
bool Digits(std::string_view text, std::size_t pos, std::size_t count, int* value) {
  if (pos + count > text.size()) return false;
  int number = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (!IsDigit(text[i])) return false;
    number = number * 10 + (text[i] - '0');
  }
  *value = number;
  return true;
}

}  // namespace

CivilTime ToCivil(std::int64_t unixSeconds) {
  using namespace std::chrono;
  const sys_seconds instant{seconds(unixSeconds)};
  const sys_days day = floor<days>(instant);
  const year_month_day date(day);
  const hh_mm_ss time(instant - day);
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

std::optional<std::int64_t> FromCivil(const CivilTime& time) {
  using namespace std::chrono;
  if (time.year < 1970 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > 31 || time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 ||
      time.second < 0 || time.second > 59) {
    return std::nullopt;
  }
  const year_month_day date{year(time.year), month(static_cast<unsigned>(time.month)),
                            day(static_cast<unsigned>(time.day))};
  if (!date.ok()) return std::nullopt;
  return sys_days(date).time_since_epoch().count() * 86400LL + time.hour * 3600LL +
         time.minute * 60LL + time.second;
}

std::int64_t HostUtcSeconds() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::optional<std::int64_t> ParseDateTime(std::string_view text) {
  CivilTime time;
  if (!Digits(text, 0, 4, &time.year) || text.size() < 20 || text[4] != '-' ||
      !Digits(text, 5, 2, &time.month) || text[7] != '-' || !Digits(text, 8, 2, &time.day) ||
      text[10] != 'T' || !Digits(text, 11, 2, &time.hour) || text[13] != ':' ||
      !Digits(text, 14, 2, &time.minute) || text[16] != ':' || !Digits(text, 17, 2, &time.second)) {
    return std::nullopt;
  }
  std::size_t pos = 19;
  if (text[pos] == '.') {
    const std::size_t start = ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    if (pos == start) return std::nullopt;
  }
  std::int64_t offset = 0;
  if (pos < text.size() && text[pos] == 'Z') {
    ++pos;
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    const int sign = text[pos] == '-' ? -1 : 1;
    int hours = 0, minutes = 0;
    if (!Digits(text, pos + 1, 2, &hours) || pos + 3 >= text.size() || text[pos + 3] != ':' ||
        !Digits(text, pos + 4, 2, &minutes) || hours > 14 || minutes > 59) {
      return std::nullopt;
    }
    offset = sign * (hours * 3600LL + minutes * 60LL);
    pos += 6;
  } else {
    return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  const auto local = FromCivil(time);
  if (!local) return std::nullopt;
  return *local - offset;
}

std::string FormatDuration(double ms) {
  char text[48];
  const double seconds = std::max(0.0, ms) / 1000.0;
  if (seconds == std::floor(seconds) && seconds < 1e12) {
    std::snprintf(text, sizeof text, "PT%.0fS", seconds);
  } else {
    std::snprintf(text, sizeof text, "PT%.3fS", seconds);
  }
  return text;
}

std::string DateTimeXml(const CivilTime& time) {
  return "<tt:Time><tt:Hour>" + std::to_string(time.hour) + "</tt:Hour><tt:Minute>" +
         std::to_string(time.minute) + "</tt:Minute><tt:Second>" + std::to_string(time.second) +
         "</tt:Second></tt:Time><tt:Date><tt:Year>" + std::to_string(time.year) +
         "</tt:Year><tt:Month>" + std::to_string(time.month) + "</tt:Month><tt:Day>" +
         std::to_string(time.day) + "</tt:Day></tt:Date>";
}

std::string IsoTime(const CivilTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  return text;
}

}  // namespace camsim::detail
