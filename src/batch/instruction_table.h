// The instruction table: the twelve batch instructions in run order.
#pragma once

namespace batch {

constexpr int kInstructionCount = 12;

// Rows of the table.
constexpr int kRowSearch = 0;
constexpr int kRowModifyIp = 1;
constexpr int kRowAllNetworkOn = 2;
constexpr int kRowAllNetworkOff = 3;
constexpr int kRowUpgrade = 4;
constexpr int kRowSetTime = 5;
constexpr int kRowFormatSd1 = 6;
constexpr int kRowFormatSd2 = 7;
constexpr int kRowFormatUsb = 8;
constexpr int kRowRestore = 9;
constexpr int kRowReboot = 10;
constexpr int kRowOtherSettings = 11;

// Whether an instruction needs checked devices before it starts ("请先选择设备!" otherwise).
constexpr bool NeedsCheckedDevices(int row) {
  return row == kRowModifyIp || (row >= kRowUpgrade && row <= kRowReboot);
}

}  // namespace batch
