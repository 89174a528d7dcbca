// POSIX time zones as ONVIF devices give them (tt:TZ): "CST-8", "<+0530>-5:30" or, with a
// daylight-saving rule, "CET-1CEST,M3.5.0,M10.5.0/3" and "EST5EDT" (the US rule when none is
// written). Shared by the device library, which reads a device's clock, and the simulator, which
// keeps one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace onvif {

struct PosixTimeZone {
  // When daylight saving starts or ends: a day of the year and the local time of day.
  struct Rule {
    enum class Kind { kJulian, kZeroBased, kMonthWeekDay };  // Jn, n, Mm.w.d
    Kind kind = Kind::kMonthWeekDay;
    int day = 0;    // Jn: 1-365 without 29 February; n: 0-365; Mm.w.d: d, 0 = Sunday
    int month = 0;  // Mm.w.d only
    int week = 0;   // Mm.w.d only: 1-4, 5 = the last
    std::int64_t timeS = 7200;
  };

  std::int64_t standardEastS = 0;  // seconds east of UTC, standard time
  bool hasDaylightSaving = false;
  std::int64_t daylightEastS = 0;
  Rule start;
  Rule end;

  // Seconds east of UTC in force at the UTC instant.
  std::int64_t OffsetAtUtc(std::int64_t utcSeconds) const;
  // Seconds east of UTC of a local wall-clock time (seconds since 1970 as if it were UTC). In the
  // hour that repeats at the end of daylight saving, daylight time is taken.
  std::int64_t OffsetAtLocal(std::int64_t localSeconds) const;
  bool DaylightAtUtc(std::int64_t utcSeconds) const;
};

// nullopt for anything that is not a POSIX zone, a name shorter than three letters included.
std::optional<PosixTimeZone> ParsePosixTimeZone(std::string_view text);

}  // namespace onvif
