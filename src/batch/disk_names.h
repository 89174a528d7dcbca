// The storage media of the format instructions by disk index (1 SD1, 2 SD2, 3 USB), as every
// row text, summary and format answer names them.
#pragma once

#include <QString>
#include <array>

namespace batch {

constexpr int kDiskSd1 = 1;
constexpr int kDiskSd2 = 2;
constexpr int kDiskUsb = 3;

// Index 0 is the empty name.
constexpr std::array<const char16_t*, 4> kDiskNames = {u"", u"SD1", u"SD2", u"USB"};

inline bool IsDiskIndex(int diskIndex) {
  return diskIndex >= kDiskSd1 && diskIndex <= kDiskUsb;
}

// The empty text for an index that names no disk.
inline QString DiskName(int diskIndex) {
  return QString::fromUtf16(kDiskNames[IsDiskIndex(diskIndex) ? diskIndex : 0]);
}

}  // namespace batch
