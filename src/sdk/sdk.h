// The program's side of the two libraries: every call goes through the declarations of the
// device library (IP_NET_DVR_*) and the player library (IP_KMR_*), with these names for the
// numbers the program passes and reads.
#pragma once

#include <cstdint>

#include "netsdk.h"
#include "player.h"

namespace sdk {

// Status events.
constexpr int kEventLoginOk = 4;
constexpr int kEventLoginFailed = 5;
constexpr int kEventUpgradeTransferred = 14;
constexpr int kEventUpgradeTransferFailed = 15;

// SystemControl and response codes.
constexpr int kCmdSetTime = 1005;
constexpr int kCmdUpgradeChecked = 1009;
constexpr int kCmdGetVersion = 1012;
constexpr int kCmdGetStorage = 1014;
constexpr int kCmdFormatDisk = 1017;

constexpr char kVersionRequest[] = "RESPONSE_PARAM";
constexpr char kStorageRequest[] = "";

// FormatDisk disk numbers.
constexpr int kDiskSd1 = 0;
constexpr int kDiskSd2 = 1;
constexpr int kDiskUsb = 2;

// A response code with bit 31 set reports a failed command; the code is in the low 24 bits.
constexpr std::uint32_t kResponseFailedBit = 0x80000000u;
constexpr std::uint32_t kResponseCodeMask = 0x00FFFFFFu;

// The code as the callbacks use it: positive for success, minus the code for a failure.
constexpr int NormaliseResponseCode(std::uint32_t code) {
  if ((code & kResponseFailedBit) != 0) return -static_cast<int>(code & kResponseCodeMask);
  return static_cast<int>(code);
}

static_assert(kEventLoginOk == NETSDK_EVENT_LOGIN_OK &&
              kEventLoginFailed == NETSDK_EVENT_LOGIN_FAILED);
static_assert(kEventUpgradeTransferred == NETSDK_EVENT_UPGRADE_TRANSFERRED);
static_assert(kEventUpgradeTransferFailed == NETSDK_EVENT_UPGRADE_TRANSFER_FAILED);
static_assert(kResponseFailedBit == NETSDK_RESPONSE_FAILED &&
              kResponseCodeMask == NETSDK_RESPONSE_CODE_MASK);
static_assert(NormaliseResponseCode(0x80000000u | 1009) == -1009);
static_assert(NormaliseResponseCode(1012) == 1012);

}  // namespace sdk
