// The message protocol between the main window, the worker threads and the library callbacks:
// thread messages to the batch worker and the upgrade coordinator, window messages to the main
// window. Items that travel in a wParam change owner with the message.
#pragma once

#include "discovery/device_record.h"
#include "platform/win_types.h"

namespace batch {

// Thread messages to the batch worker (wParam 0, except the disk index of 1029).
constexpr UINT kMsgReboot = 1025;         // 0x401
constexpr UINT kMsgRestore = 1026;        // 0x402
constexpr UINT kMsgSetTime = 1027;        // 0x403
constexpr UINT kMsgStorageFormat = 1029;  // 0x405, wParam = disk index 1 SD1, 2 SD2, 3 USB

// Thread messages to the upgrade coordinator.
constexpr UINT kMsgLoginEnded = 2025;         // 0x7E9, wParam = login request (owned)
constexpr UINT kMsgVersionQueryEnded = 2027;  // 0x7EB, wParam = version query (owned)
constexpr UINT kMsgUploadEnded = 2030;        // 0x7EE, wParam = upload request (owned)
constexpr UINT kMsgFileTransferred = 2034;    // 0x7F2, wParam = login handle (status event 14)
constexpr UINT kMsgTransferFailed = 2035;     // 0x7F3, wParam = login handle (status event 15)
constexpr UINT kMsgFirmwareTaken = 2036;      // 0x7F4, wParam = login handle (response 1009 OK)
constexpr UINT kMsgFirmwareRefused = 2037;    // 0x7F5, wParam = login handle (response 1009 failed)
constexpr UINT kMsgUpgradeDevice = 2127;      // 0x84F, wParam = device record (borrowed)

// Window messages to the main window.
constexpr UINT kMsgPushThreadEnded = 1032;  // 0x408, one configuration push thread ended
constexpr UINT kMsgRowStatus =
    discovery::kMsgRowStatus;                // 2126, 0x84E: wParam = record, lParam = column
constexpr UINT kMsgUpgradeFinished = 2129;   // 0x851
constexpr UINT kMsgRebootFinished = 2130;    // 0x852, successes, failures
constexpr UINT kMsgRestoreFinished = 2131;   // 0x853, successes, failures
constexpr UINT kMsgSetTimeFinished = 2132;   // 0x854, successes, failures
constexpr UINT kMsgFormatFinished = 2133;    // 0x855, sent and waited for
constexpr UINT kMsgModifyIpVerified = 2134;  // 0x856

static_assert(kMsgRowStatus == 2126);

}  // namespace batch
