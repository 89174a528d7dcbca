// Command codes on the wire. The program's codes (1005 time, 1009 upgrade check, 1012 version,
// 1014 storage, 1017 format and the configuration codes) travel as they are; the actions that the
// program's interface has no code for get codes of their own in the same range.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace wire {

constexpr std::uint32_t kCodeReboot = 1001;
constexpr std::uint32_t kCodeRestore = 1002;
constexpr std::uint32_t kCodeModify = 1003;
constexpr std::uint32_t kCodeLogin = 1004;
constexpr std::uint32_t kCodeSetTime = 1005;
constexpr std::uint32_t kCodeUpgrade = 1008;
constexpr std::uint32_t kCodeUpgradeChecked = 1009;
constexpr std::uint32_t kCodeGetVersion = 1012;
constexpr std::uint32_t kCodeGetStorage = 1014;
constexpr std::uint32_t kCodeFormatDisk = 1017;
// The live stream's start and stop, as the simulator's journal records them.
constexpr std::uint32_t kCodeStream = 1020;

// The configuration groups a device takes with SetDVRConfig.
constexpr std::array<std::uint32_t, 15> kConfigCodes = {222, 223, 227, 228, 325, 335, 421, 422,
                                                        522, 523, 524, 525, 620, 670, 822};

// Which library call a command came from; the device answers all of them alike.
enum class CommandKind : std::uint8_t {
  kControl = 0,  // IP_NET_DVR_SystemControl
  kConfig = 1,   // IP_NET_DVR_SetDVRConfig
  kAction = 2,   // reboot, restore, format
};

// Field limits, equal to the fields of the device information block less their terminator.
constexpr std::size_t kMaxSerial = 31;
constexpr std::size_t kMaxDeviceType = 35;
constexpr std::size_t kMaxUser = 39;
constexpr std::size_t kMaxPassword = 63;
constexpr std::size_t kMaxMac = 259;
constexpr std::size_t kMaxAddress = 255;
// Request and answer texts (time requests, configuration documents, version answers).
constexpr std::size_t kMaxText = 64 * 1024;

}  // namespace wire
