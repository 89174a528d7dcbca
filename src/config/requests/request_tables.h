// The index-to-value tables of the request builders: a stored list position becomes the word
// the device understands. A position outside a table takes the table's fallback.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config/config_fields.h"

namespace config::requests {

template <typename T, std::size_t N>
constexpr T TableEntry(const std::array<T, N>& table, std::int32_t index, T fallback) {
  return index >= 0 && static_cast<std::size_t>(index) < N ? table[static_cast<std::size_t>(index)]
                                                           : fallback;
}

// Video encoding. The sub-stream list has "448P" at position 5, the main-stream list does not,
// so one position names different resolutions in the two lists. Device names use an uppercase X.
inline constexpr std::array<const char*, 16> kSubStreamResolutions{
    "720P",    "960P",    "1080P", "1440P", "1512P",   "448P",    "256X192", "288X192",
    "320X192", "352X192", "QVGA",  "CIF",   "480X360", "640X360", "VGA",     "D1"};
inline constexpr std::array<const char*, 15> kMainStreamResolutions{
    "720P",    "960P", "1080P", "1440P",   "1512P",   "256X192", "288X192", "320X192",
    "352X192", "QVGA", "CIF",   "480X360", "640X360", "VGA",     "D1"};
inline constexpr const char* kResolutionFallback = "720P";

inline constexpr std::array<const char*, 3> kBitRateControls{"CBR", "VBR", "CVBR"};
inline constexpr const char* kBitRateControlFallback = "CBR";

// Audio encoding: any other position is sent as the first entry.
inline constexpr std::array<const char*, 2> kAudioSampleRates{"8000", "16000"};
inline constexpr std::array<const char*, 2> kAudioEncodeTypes{"G.711", "AAC"};
inline constexpr std::array<const char*, 2> kAudioBitRates{"6400", "16000"};

// On-screen display. PosX 0 is left, 1 right; PosY 0 is top, 1 bottom; 2 and 2 hide the item.
struct OsdPosition {
  int posX;
  int posY;
};
inline constexpr OsdPosition kOsdHidden{2, 2};
inline constexpr std::array<OsdPosition, 5> kOsdPositions{{
    kOsdHidden,  // "不显示"
    {0, 0},      // "左上角"
    {1, 0},      // "右上角"
    {0, 1},      // "左下角"
    {1, 1},      // "右下角"
}};

inline constexpr std::array<const char*, 8> kOsdTimeFormats{
    "yyyy-mm-dd hh:mm:ss", "yyyy/mm/dd hh:mm:ss", "yy-mm-dd hh:mm:ss",   "yy/mm/dd hh:mm:ss",
    "hh:mm:ss dd/mm/yyyy", "hh:mm:ss dd-mm-yyyy", "hh:mm:ss mm/dd/yyyy", "hh:mm:ss mm-dd-yyyy"};
inline constexpr const char* kOsdTimeFormatFallback = "";

// Motion detection grids, "4X4" first; the device takes columns and rows as one number.
struct MotionGrid {
  int columns;
  int rows;
};
inline constexpr std::array<MotionGrid, 6> kMotionGrids{
    {{4, 4}, {4, 3}, {3, 3}, {3, 2}, {2, 2}, {1, 1}}};
inline constexpr MotionGrid kMotionGridFallback{1, 1};

// The device's Day of each schedule record, Monday to Sunday and then every day: the device
// counts Sunday as 0 and every day as 7.
inline constexpr std::array<int, 8> kMotionWorkdays{1, 2, 3, 4, 5, 6, 0, 7};
static_assert(kMotionWorkdays.size() == kMotionDayCount);

// Device languages: "简体中文", "繁体中文", "English", "русский".
inline constexpr std::array<const char*, 4> kDeviceLanguages{"zh_cn", "zh_tw", "en_us", "rs_py"};
inline constexpr const char* kDeviceLanguageFallback = "en_us";

}  // namespace config::requests
