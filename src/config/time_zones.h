// The 25 time zones of the clock group: the clock page lists the labels in index order and the
// clock request sends the value, the zone's minutes counted from GMT-12:00.
#pragma once

#include <array>
#include <cstddef>

namespace config {

struct TimeZoneEntry {
  int minutes;        // 60 x index: the offset from GMT-12:00, which the devices count from
  const char* label;  // UTF-8, as the clock page shows it
};

inline constexpr int kTimeZoneCount = 25;
inline constexpr int kTimeZoneMinutesPerIndex = 60;

inline constexpr std::array<TimeZoneEntry, kTimeZoneCount> kTimeZones{{
    {0, "(GMT-12:00)埃尼威托克，夸贾林岛"},
    {60, "(GMT-11:00)中途岛，萨摩亚群岛"},
    {120, "(GMT-10:00)夏威夷"},
    {180, "(GMT-09:00)阿拉斯加"},
    {240, "(GMT-08:00)太平洋时间（美国和加拿大）；蒂华"},
    {300, "(GMT-07:00)山地时间（美国和加拿大）；亚利桑那"},
    {360, "(GMT-06:00)中部时间（美国和加拿大）；中美洲，墨西哥城"},
    {420, "(GMT-05:00)东部时间（美国和加拿大）；波哥达，利马"},
    {480, "(GMT-04:00)大西洋时间（加拿大）；加拉加斯，圣地亚哥"},
    {540, "(GMT-03:00)巴西利亚，布宜诺斯艾利斯，乔治敦，格陵兰"},
    {600, "(GMT-02:00)中大西洋"},
    {660, "(GMT-01:00)佛得角群岛，亚速尔群岛"},
    {720, "(GMT)格林威治平时；都柏林，爱丁堡，伦敦，里斯本"},
    {780, "(GMT+01:00)阿姆斯特丹，柏林，罗马，斯得哥尔摩，巴黎"},
    {840, "(GMT+02:00)开罗，雅典，伊斯坦布尔，明斯克，耶路撒冷"},
    {900, "(GMT+03:00)巴格达，科威特，利雅得，莫斯科，圣彼得堡"},
    {960, "(GMT+04:00)阿布扎比，马斯喀特，巴库，第比利斯，埃里温"},
    {1020, "(GMT+05:00)叶卡捷林堡，伊斯兰堡，卡拉奇，塔什干"},
    {1080, "(GMT+06:00)阿拉木图，新西伯利亚，阿斯塔纳，达卡"},
    {1140, "(GMT+07:00)曼谷，雅加达，河内"},
    {1200, "(GMT+08:00)北京，重庆，乌鲁木齐，香港特别行政区，台北"},
    {1260, "(GMT+09:00)东京，大坂，札幌，汉城，雅库茨克"},
    {1320, "(GMT+10:00)布里斯班，关岛，堪培拉，墨尔本，悉尼"},
    {1380, "(GMT+11:00)马加丹，索罗门群岛，新喀里多尼亚"},
    {1440, "(GMT+12:00)富士，勘察加半岛，马绍尔群岛，惠灵顿"},
}};

constexpr bool TimeZoneValuesFollowTheirIndex() {
  for (std::size_t i = 0; i < kTimeZones.size(); ++i) {
    if (kTimeZones[i].minutes != static_cast<int>(i) * kTimeZoneMinutesPerIndex) return false;
  }
  return true;
}
static_assert(TimeZoneValuesFollowTheirIndex());

}  // namespace config
