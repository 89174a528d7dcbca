#include "platform/date_parser.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kUk(QLocale::English, QLocale::UnitedKingdom);

constexpr double kDec7th2026 = 46363;  // days from 1899-12-30

double Day(int hours, int minutes, int seconds = 0) {
  return (hours * 3600 + minutes * 60 + seconds) / 86400.0;
}

TEST(DateParser, ReadsTheUsualDateFormsAsDaysSince1899_12_30) {
  EXPECT_EQ(platform::ParseDate(QStringLiteral("2000-01-01"), kUs), 36526);
  for (const char* text : {"2026-12-07", "2026/12/7", "2026.12.07", "7 Dec 2026", "7-Dec-2026",
                           "Dec 7, 2026", "December 7 2026", "dec. 7th, 2026", "2026 Dec 7",
                           "12/07/2026", "12/7/26", "2026年12月7日", "  2026-12-07  "}) {
    EXPECT_EQ(platform::ParseDate(QString::fromUtf8(text), kUs), kDec7th2026) << text;
  }
}

TEST(DateParser, NumericDatesWithTheYearLastFollowTheLocalesDayMonthOrder) {
  EXPECT_EQ(platform::ParseDate(QStringLiteral("07/12/2026"), kUk), kDec7th2026);
  EXPECT_EQ(platform::ParseDate(QStringLiteral("12/07/2026"), kUs), kDec7th2026);
  EXPECT_FALSE(platform::ParseDate(QStringLiteral("13/12/2026"), kUs));  // no 13th month
  EXPECT_TRUE(platform::ParseDate(QStringLiteral("13/12/2026"), kUk));
  // Month names in the locale's language count as well as English ones.
  EXPECT_EQ(platform::ParseDate(QStringLiteral("7 Dezember 2026"), QLocale(QLocale::German)),
            kDec7th2026);
}

TEST(DateParser, TwoDigitYearsUpTo29AreThisCentury) {
  EXPECT_EQ(platform::ParseDate(QStringLiteral("1/1/29"), kUs),
            platform::ParseDate(QStringLiteral("2029-01-01"), kUs));
  EXPECT_EQ(platform::ParseDate(QStringLiteral("1/1/30"), kUs),
            platform::ParseDate(QStringLiteral("1930-01-01"), kUs));
}

TEST(DateParser, TimesAreFractionsOfADayAndCombineWithADateInEitherOrder) {
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("12:30"), kUs), Day(12, 30));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("2026-12-07 13:45:10"), kUs),
                   kDec7th2026 + Day(13, 45, 10));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("13:45:10 2026-12-07"), kUs),
                   kDec7th2026 + Day(13, 45, 10));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("7 Dec 2026 1:30 PM"), kUs),
                   kDec7th2026 + Day(13, 30));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("12:15 am"), kUs), Day(0, 15));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("12:15 PM"), kUs), Day(12, 15));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("3 PM"), kUs), Day(15, 0));
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("00:00:01.5"), kUs), 1.5 / 86400);
}

TEST(DateParser, DatesBefore1899_12_30AreNegativeWithThePositiveTimeOfDay) {
  EXPECT_DOUBLE_EQ(*platform::ParseDate(QStringLiteral("1899-12-29 06:00"), kUs), -1.25);
  EXPECT_EQ(platform::ParseDate(QStringLiteral("1899-12-30"), kUs), 0);
  EXPECT_EQ(platform::ParseDate(QStringLiteral("0100-01-01"), kUs), -657434);
}

TEST(DateParser, NumbersAddressesVersionsAndInvalidDatesAreNotDates) {
  for (const char* text : {"",           "   ",
                           "12",         "3.5",
                           "-7",         "1e5",
                           "50%",        "192.168.1.64",
                           "10.0.0.1",   "00:11:22:33:44:55",
                           "5.5.10",     "V5.5.0 build 171218",
                           "2026-13-01", "2023-02-29",
                           "2026-12-32", "25:00",
                           "12:60",      "1:2",
                           "13:00 PM",   "hello",
                           "3 of 10",    "Dec",
                           "7 Dec",      "2026-12",
                           "0099-01-01", "2026-12-07 25:00",
                           "升级成功",   "1/2/3"}) {
    EXPECT_FALSE(platform::ParseDate(QString::fromUtf8(text), kUs)) << text;
  }
  EXPECT_TRUE(platform::ParseDate(QStringLiteral("2024-02-29"), kUs));
}

}  // namespace
