// The longer fixed entry lists of the media, motion and system pages, in list order: an entry's
// position is the value its list stores.
#pragma once

#include <QString>
#include <vector>

#include "config/time_zones.h"

namespace config {

// The main-stream list has no "448P", so a position names different resolutions in the two.
inline constexpr const char16_t* kMainStreamResolutionItems[] = {
    u"720P",    u"960P", u"1080P", u"1440P",   u"1512P",   u"256x192", u"288x192", u"320x192",
    u"352x192", u"QVGA", u"CIF",   u"480x360", u"640x360", u"VGA",     u"D1"};
inline constexpr const char16_t* kSubStreamResolutionItems[] = {
    u"720P",    u"960P",    u"1080P", u"1440P", u"1512P",   u"448P",    u"256x192", u"288x192",
    u"320x192", u"352x192", u"QVGA",  u"CIF",   u"480x360", u"640x360", u"VGA",     u"D1"};
inline constexpr int kSubStreamInitialResolution = 11;  // "CIF"

inline constexpr int kFrameRateCount = 30;              // "1" to "30": position = rate - 1
inline constexpr int kMainStreamInitialFrameRate = 19;  // "20"
inline constexpr int kSubStreamInitialFrameRate = 24;   // "25"

inline constexpr const char16_t* kOsdPositionItems[] = {u"不显示", u"左上角", u"右上角", u"左下角",
                                                        u"右下角"};
inline constexpr const char16_t* kOsdTimeFormatItems[] = {
    u"yyyy-mm-dd hh:mm:ss", u"yyyy/mm/dd hh:mm:ss", u"yy-mm-dd hh:mm:ss",   u"yy/mm/dd hh:mm:ss",
    u"hh:mm:ss dd/mm/yyyy", u"hh:mm:ss dd-mm-yyyy", u"hh:mm:ss mm/dd/yyyy", u"hh:mm:ss mm-dd-yyyy"};

inline constexpr const char16_t* kMotionGridItems[] = {u"4X4", u"4X3", u"3X3",
                                                       u"3X2", u"2X2", u"1X1"};
inline constexpr int kMotionInitialGrid = 2;  // "3X3"

inline constexpr const char16_t* kMaintenanceDayItems[] = {
    u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六", u"星期日", u"每天"};
inline constexpr int kMaintenanceInitialDay = 7;  // "每天"

inline constexpr const char16_t* kDeviceLanguageItems[] = {u"简体中文", u"繁体中文", u"English",
                                                           u"русский"};

inline constexpr int kInitialTimeZone = 20;  // "(GMT+08:00)北京，…"

template <std::size_t N>
std::vector<QString> Items(const char16_t* const (&items)[N]) {
  std::vector<QString> texts;
  for (const char16_t* item : items) texts.push_back(QString::fromUtf16(item));
  return texts;
}

inline std::vector<QString> FrameRateItems() {
  std::vector<QString> texts;
  for (int rate = 1; rate <= kFrameRateCount; ++rate) texts.push_back(QString::number(rate));
  return texts;
}

inline std::vector<QString> TimeZoneItems() {
  std::vector<QString> texts;
  for (const TimeZoneEntry& zone : kTimeZones) texts.push_back(QString::fromUtf8(zone.label));
  return texts;
}

}  // namespace config
