// The controls of the main window (template 102): ID, kind, template caption, position in dialog
// units and whether the control is created visible. The window creates its controls from this
// table.
#pragma once

#include <array>

#include "batch/instruction_table.h"
#include "discovery/device_record.h"
#include "ui/main_dialog_ids.h"

namespace app {

enum class ControlKind {
  GroupBox,
  PushButton,
  CheckBox,
  RadioButton,
  Static,
  Edit,
  DropDownList,
  ListView
};

struct ControlSpec {
  int id;
  ControlKind kind;
  const char16_t* caption;
  int x, y, width, height;  // dialog units
  bool visible;
};

// The template's size in dialog units.
constexpr int kMainDialogWidth = 703;
constexpr int kMainDialogHeight = 347;

extern const std::array<ControlSpec, 52> kMainDialogControls;

// The check box of each row of the instruction table.
constexpr std::array<int, batch::kInstructionCount> kInstructionCheckBoxes = {
    ids::IDC_DO_SEARCH,     ids::IDC_DO_MODIFY_IP,  ids::IDC_DO_ALLNET_ON,
    ids::IDC_DO_ALLNET_OFF, ids::IDC_DO_UPGRADE,    ids::IDC_DO_SET_TIME,
    ids::IDC_DO_FORMAT_SD1, ids::IDC_DO_FORMAT_SD2, ids::IDC_DO_FORMAT_USB,
    ids::IDC_DO_RESTORE,    ids::IDC_DO_REBOOT,     ids::IDC_DO_OTHER_SETTINGS};

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

// The items of combo 1038, minutes, in order.
constexpr std::array<const char16_t*, 17> kFormatTimeoutItems = {
    u"1",  u"2",  u"3",  u"4",  u"5",  u"6",  u"7",  u"8", u"9",
    u"10", u"12", u"14", u"16", u"18", u"20", u"25", u"30"};

// The columns of the device list: heading and width in pixels, all centred.
struct ColumnSpec {
  const char16_t* heading;
  int width;
};
constexpr std::array<ColumnSpec, discovery::kColumnCount> kDeviceColumns = {{{u"IP地址", 125},
                                                                             {u"物理地址", 125},
                                                                             {u"序列号", 135},
                                                                             {u"设备类型", 115},
                                                                             {u"升级前版本号", 180},
                                                                             {u"升级后版本号", 180},
                                                                             {u"状态信息", 240},
                                                                             {u"全网通", 60}}};

}  // namespace app
