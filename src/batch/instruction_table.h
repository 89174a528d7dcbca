// The instruction table: the twelve batch instructions in run order, each with the check box that
// selects it.
#pragma once

#include <array>

#include "ui/main_dialog_ids.h"

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

constexpr std::array<int, kInstructionCount> kInstructionCheckBoxes = {
    ids::IDC_DO_SEARCH,     ids::IDC_DO_MODIFY_IP,  ids::IDC_DO_ALLNET_ON,
    ids::IDC_DO_ALLNET_OFF, ids::IDC_DO_UPGRADE,    ids::IDC_DO_SET_TIME,
    ids::IDC_DO_FORMAT_SD1, ids::IDC_DO_FORMAT_SD2, ids::IDC_DO_FORMAT_USB,
    ids::IDC_DO_RESTORE,    ids::IDC_DO_REBOOT,     ids::IDC_DO_OTHER_SETTINGS};

// Whether an instruction needs checked devices before it starts ("请先选择设备!" otherwise).
constexpr bool NeedsCheckedDevices(int row) {
  return row == kRowModifyIp || (row >= kRowUpgrade && row <= kRowReboot);
}

// The controls a run disables, in this order, and enables again at its end. The device list, the
// language buttons and 1003 stay enabled.
constexpr std::array<int, 32> kRunDisabledControls = {ids::IDC_INVERT_HIDDEN,
                                                      ids::IDC_SEARCH,
                                                      ids::IDC_FILE_PATH,
                                                      ids::IDC_BROWSE,
                                                      ids::IDC_EXPECTED_COUNT,
                                                      ids::IDC_FORMAT_SD1_NOW,
                                                      ids::IDC_FORMAT_SD2_NOW,
                                                      ids::IDC_FORMAT_USB_NOW,
                                                      ids::IDC_RESTORE_NOW,
                                                      ids::IDC_REBOOT_NOW,
                                                      ids::IDC_SET_TIME_NOW,
                                                      ids::IDC_SELECT_ALL,
                                                      ids::IDC_INVERT,
                                                      ids::IDC_FORMAT_TIMEOUT,
                                                      ids::IDC_MODIFY_IP_NOW,
                                                      ids::IDC_RUN_BATCH,
                                                      ids::IDC_DO_MODIFY_IP,
                                                      ids::IDC_DO_SET_TIME,
                                                      ids::IDC_DO_FORMAT_SD1,
                                                      ids::IDC_DO_FORMAT_SD2,
                                                      ids::IDC_DO_FORMAT_USB,
                                                      ids::IDC_PREVIEW_CHECKED,
                                                      ids::IDC_DO_SEARCH,
                                                      ids::IDC_DO_UPGRADE,
                                                      ids::IDC_DO_RESTORE,
                                                      ids::IDC_DO_REBOOT,
                                                      ids::IDC_FORMAT_TIMEOUT_LABEL,
                                                      ids::IDC_DO_OTHER_SETTINGS,
                                                      ids::IDC_OTHER_SETTINGS,
                                                      ids::IDC_START_ADDRESS,
                                                      ids::IDC_DO_ALLNET_OFF,
                                                      ids::IDC_DO_ALLNET_ON};

}  // namespace batch
