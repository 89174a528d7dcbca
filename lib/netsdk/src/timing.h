// The library's own waits, in program milliseconds; the time scale divides each of them.
#pragma once

#include <cstddef>

#include "wire/messages.h"

namespace netsdk {

// Connecting and being greeted by the device at the address; then the login is unreachable.
constexpr double kConnectTimeoutMs = 5000;
// Pause between two attempts of an auto-reconnecting login.
constexpr double kReconnectIntervalMs = 3000;
// Commands whose outcome is the call's result (reboot, restore, ModifyIPC).
constexpr double kCommandTimeoutMs = 8000;
// Search probes go out this often while a search runs, so that devices coming back are seen.
constexpr double kProbeIntervalMs = 1000;
// A firmware transfer without any acknowledgement for this long has failed.
constexpr double kTransferStallMs = 30000;
// Firmware bytes in flight per transfer: bounds the memory of 250 transfers at once.
constexpr std::size_t kTransferWindow = 4 * wire::kUpgradeChunk;
// Larger files are refused by Upgrade.
constexpr std::size_t kMaxFirmwareBytes = 512u * 1024 * 1024;

}  // namespace netsdk
