// POSIX time zones against transition instants worked out by hand from the calendar.
#include <gtest/gtest.h>

#include "onvif/posix_time_zone.h"

namespace {

using onvif::ParsePosixTimeZone;

constexpr std::int64_t kHour = 3600;

// The offset just before and at a transition.
void ExpectTransition(const onvif::PosixTimeZone& zone, std::int64_t utc, std::int64_t before,
                      std::int64_t after) {
  EXPECT_EQ(zone.OffsetAtUtc(utc - 1), before) << utc;
  EXPECT_EQ(zone.OffsetAtUtc(utc), after) << utc;
}

TEST(PosixTimeZoneTest, RulesOfBothHemispheresTheDefaultRuleAndDayCounts) {
  const auto europe = ParsePosixTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
  ASSERT_TRUE(europe);
  ExpectTransition(*europe, 1774746000, kHour, 2 * kHour);  // 29 March 2026, 01:00 UTC
  ExpectTransition(*europe, 1792890000, 2 * kHour, kHour);  // 25 October 2026, 01:00 UTC
  // The hour that repeats at the end reads as daylight time; the skipped one as standard.
  EXPECT_EQ(europe->OffsetAtLocal(1792890000 + kHour + 1800), 2 * kHour);
  EXPECT_EQ(europe->OffsetAtLocal(1774746000 + kHour + 1800), kHour);

  // No rule written: second Sunday of March to first Sunday of November.
  const auto us = ParsePosixTimeZone("EST5EDT");
  ASSERT_TRUE(us);
  ExpectTransition(*us, 1772953200, -5 * kHour, -4 * kHour);  // 8 March 2026, 07:00 UTC
  ExpectTransition(*us, 1793512800, -4 * kHour, -5 * kHour);  // 1 November 2026, 06:00 UTC

  // Daylight time across the turn of the year.
  const auto south = ParsePosixTimeZone("AEST-10AEDT,M10.1.0,M4.1.0/3");
  ASSERT_TRUE(south);
  ExpectTransition(*south, 1791043200, 10 * kHour, 11 * kHour);  // 3 October 2026, 16:00 UTC
  ExpectTransition(*south, 1775318400, 11 * kHour, 10 * kHour);  // 4 April 2026, 16:00 UTC
  EXPECT_EQ(south->OffsetAtUtc(1768435200), 11 * kHour);         // January
  EXPECT_EQ(south->OffsetAtUtc(1784073600), 10 * kHour);         // July

  // In a leap year Jn still skips 29 February, n counts it.
  const auto julian = ParsePosixTimeZone("XXX0YYY,J60/0,J300");
  const auto zeroBased = ParsePosixTimeZone("XXX0YYY,59/0,300");
  ASSERT_TRUE(julian && zeroBased);
  ExpectTransition(*julian, 1835488800 - 2 * kHour, 0, kHour);     // 1 March 2028
  ExpectTransition(*zeroBased, 1835402400 - 2 * kHour, 0, kHour);  // 29 February 2028

  const auto india = ParsePosixTimeZone("<+0530>-5:30");
  ASSERT_TRUE(india);
  EXPECT_FALSE(india->hasDaylightSaving);
  EXPECT_EQ(india->OffsetAtUtc(1784073600), 5 * kHour + 1800);
  EXPECT_EQ(ParsePosixTimeZone("CST-8")->standardEastS, 8 * kHour);
}

TEST(PosixTimeZoneTest, MalformedZonesAreRefused) {
  for (const char* bad : {"", "UT0", "CST", "CST-25", "CET-1CEST,M13.1.0,M10.5.0",
                          "CET-1CEST,M3.6.0,M10.5.0", "CET-1CEST,M3.5.0", "CET-1CEST,J0,J300",
                          "<AB>1", "CET-1CEST,M3.5.0,M10.5.0/200", "CET-1 CEST"}) {
    EXPECT_FALSE(ParsePosixTimeZone(bad)) << bad;
  }
}

}  // namespace
