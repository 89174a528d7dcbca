// Time as the ONVIF devices read and write it: calendar fields, xs:dateTime and xs:duration texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace camsim::detail {

struct CivilTime {
  int year = 1970;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds since 1970 in UTC.
CivilTime ToCivil(std::int64_t unixSeconds);
// nullopt when a field is out of range (a 31 April included) or the year is outside 1970-9999.
std::optional<std::int64_t> FromCivil(const CivilTime& time);

// The host's UTC now, in whole seconds.
std::int64_t HostUtcSeconds();

// "YYYY-MM-DDThh:mm:ss[.fraction](Z|+hh:mm|-hh:mm)" as seconds since 1970; the fraction is dropped.
std::optional<std::int64_t> ParseDateTime(std::string_view text);

// Program milliseconds as an xs:duration, e.g. PT1S or PT2.5S.
std::string FormatDuration(double ms);

// The tt:Time and tt:Date elements of a date-time answer.
std::string DateTimeXml(const CivilTime& time);
// 2030-06-15T12:00:00Z, as journals show a time.
std::string IsoTime(const CivilTime& time);

}  // namespace camsim::detail
