#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/requests/group_requests.h"
#include "config/time_zones.h"
#include "request_helpers.h"

namespace config {
namespace {

TEST(SystemRequests, AccountSendsTheAdministratorWithTheConfirmedPassword) {
  ConfigSet set;
  set.Set(kAccountPassword, QStringLiteral("abc"));
  set.Set(kAccountPasswordConfirm, QStringLiteral("abc"));
  EXPECT_EQ(Request(PushGroup::kAccount, set),
            R"(<UserConfig><Account Username="admin" Password="abc" Group="Administrator" )"
            R"(Status="Enable" /></UserConfig>)");

  set.Set(kAccountPasswordConfirm, QStringLiteral("abd"));
  EXPECT_EQ(Request(PushGroup::kAccount, set), kNotSent);
  set.Set(kAccountPasswordConfirm, QStringLiteral("abcd"));
  EXPECT_EQ(Request(PushGroup::kAccount, set), kNotSent);

  // Two empty fields agree: the empty password goes out.
  EXPECT_EQ(Request(PushGroup::kAccount, ConfigSet()),
            R"(<UserConfig><Account Username="admin" Password="" Group="Administrator" )"
            R"(Status="Enable" /></UserConfig>)");

  // Even 255 escaped quotes stay below the account's 2047 bytes.
  const std::string quotes(255, '"');
  SetBytes(set, kAccountPassword, quotes);
  SetBytes(set, kAccountPasswordConfirm, quotes);
  std::string escaped;
  for (int i = 0; i < 255; ++i) escaped += "&quot;";
  EXPECT_EQ(Request(PushGroup::kAccount, set),
            R"(<UserConfig><Account Username="admin" Password=')" + escaped +
                R"(' Group="Administrator" Status="Enable" /></UserConfig>)");
}

TEST(SystemRequests, ClockSendsModeZoneMinutesAndTheWholeNtpChild) {
  ConfigSet set;
  set.Set(kClockTimeZone, 20);
  set.Set(kClockServerIP, QStringLiteral("pool.ntp.org"));
  set.Set(kClockServerPort, 123);
  set.Set(kClockRefreshInterval, 3600);
  set.Set(kClockManualYear, std::uint16_t{2024});  // the manual date is never sent
  set.Set(kClockManualHour, std::uint16_t{13});
  set.Set(kClockSetTimeCheck, 1);
  EXPECT_EQ(Request(PushGroup::kClock, set),
            R"(<TimeConfig TimeMode="NTP" TimeZone="1200"><NTPConfig ServerIP="pool.ntp.org" )"
            R"(ServerPort="123" RefreshInterval="3600" /></TimeConfig>)");

  set.Set(kClockTimeMode, 1);  // "手动设置"
  set.Set(kClockTimeZone, 12);
  set.Set(kClockServerPort, 70000);
  EXPECT_EQ(Request(PushGroup::kClock, set),
            R"(<TimeConfig TimeMode="MANUAL" TimeZone="720"><NTPConfig ServerIP="pool.ntp.org" )"
            R"(ServerPort="70000" RefreshInterval="3600" /></TimeConfig>)");

  const std::vector<std::pair<std::int32_t, std::string>> zones{
      {0, "0"},     {12, "720"}, {20, "1200"},           {24, "1440"},
      {25, "1500"}, {-1, "-60"}, {kMax, "128849018820"}, {kMin, "-128849018880"}};
  for (const auto& [index, minutes] : zones) {
    ConfigSet zone;
    zone.Set(kClockTimeMode, -5);
    zone.Set(kClockTimeZone, index);
    EXPECT_EQ(Request(PushGroup::kClock, zone),
              R"(<TimeConfig TimeMode="MANUAL" TimeZone=")" + minutes +
                  R"("><NTPConfig ServerIP="" ServerPort="0" RefreshInterval="0" /></TimeConfig>)")
        << index;
  }
}

TEST(SystemRequests, ClockServerOfFullEscapedTextExceedsItsLimitAndIsNotSent) {
  // 1023 bytes at most: 255 escaped apostrophes alone take 1530.
  ConfigSet set;
  SetBytes(set, kClockServerIP, std::string(255, '\''));
  EXPECT_EQ(Request(PushGroup::kClock, set), kNotSent);
  SetBytes(set, kClockServerIP, "a&b");
  EXPECT_EQ(Request(PushGroup::kClock, set),
            R"(<TimeConfig TimeMode="NTP" TimeZone="0"><NTPConfig ServerIP="a&amp;b" )"
            R"(ServerPort="0" RefreshInterval="0" /></TimeConfig>)");
}

TEST(SystemRequests, MaintenanceSendsDayAsStoredWithMondayZero) {
  ConfigSet set;
  set.Set(kMaintenanceEnable, 1);
  set.Set(kMaintenanceDay, 7);  // "每天"
  set.Set(kMaintenanceTime.hour, 3);
  EXPECT_EQ(Request(PushGroup::kMaintenance, set),
            R"(<MaintainConfig Enable="1" Day="7" Time="03:00:00" />)");
  set.Set(kMaintenanceEnable, 0);
  set.Set(kMaintenanceDay, 6);  // "星期日"
  set.Set(kMaintenanceTime.hour, 23);
  set.Set(kMaintenanceTime.minute, 5);
  set.Set(kMaintenanceTime.second, 9);
  EXPECT_EQ(Request(PushGroup::kMaintenance, set),
            R"(<MaintainConfig Enable="0" Day="6" Time="23:05:09" />)");
  set.Set(kMaintenanceDay, 0);  // "星期一"
  set.Set(kMaintenanceTime.second, kMin);
  EXPECT_EQ(Request(PushGroup::kMaintenance, set),
            R"(<MaintainConfig Enable="0" Day="0" Time="23:05:-2147483648" />)");
}

TEST(SystemRequests, LanguageCodesFallBackToEnglish) {
  const std::vector<std::pair<std::int32_t, std::string>> languages{
      {0, "zh_cn"}, {1, "zh_tw"},  {2, "en_us"},    {3, "rs_py"},
      {4, "en_us"}, {-1, "en_us"}, {kMax, "en_us"}, {kMin, "en_us"}};
  for (const auto& [index, code] : languages) {
    ConfigSet set;
    set.Set(kDeviceLanguage, index);
    EXPECT_EQ(Request(PushGroup::kLanguage, set), R"(<MiscConfig Language=")" + code + R"(" />)")
        << index;
  }
}

TEST(TimeZones, TableHoldsTheTwentyFiveZonesWithTheirMinutesAndLabels) {
  ASSERT_EQ(kTimeZones.size(), 25u);
  EXPECT_EQ(kTimeZones[0].minutes, 0);
  EXPECT_STREQ(kTimeZones[0].label, "(GMT-12:00)埃尼威托克，夸贾林岛");
  EXPECT_EQ(kTimeZones[4].minutes, 240);
  EXPECT_STREQ(kTimeZones[4].label, "(GMT-08:00)太平洋时间（美国和加拿大）；蒂华");
  EXPECT_EQ(kTimeZones[12].minutes, 720);
  EXPECT_STREQ(kTimeZones[12].label, "(GMT)格林威治平时；都柏林，爱丁堡，伦敦，里斯本");
  EXPECT_EQ(kTimeZones[20].minutes, 1200);
  EXPECT_STREQ(kTimeZones[20].label, "(GMT+08:00)北京，重庆，乌鲁木齐，香港特别行政区，台北");
  EXPECT_EQ(kTimeZones[24].minutes, 1440);
  EXPECT_STREQ(kTimeZones[24].label, "(GMT+12:00)富士，勘察加半岛，马绍尔群岛，惠灵顿");
  // Each label names its own offset from GMT: index i is GMT + (i - 12) hours.
  for (int i = 0; i < kTimeZoneCount; ++i) {
    const int hours = i - 12;
    char prefix[32];
    if (hours == 0) {
      std::snprintf(prefix, sizeof prefix, "(GMT)");
    } else {
      std::snprintf(prefix, sizeof prefix, "(GMT%c%02d:00)", hours < 0 ? '-' : '+',
                    hours < 0 ? -hours : hours);
    }
    EXPECT_EQ(std::strncmp(kTimeZones[i].label, prefix, std::strlen(prefix)), 0) << i;
  }
}

}  // namespace
}  // namespace config
