#include "app/main_dialog_layout.h"

#include "ui/main_dialog_ids.h"

namespace app {

using K = ControlKind;
using namespace ids;

// Four group boxes: the device table across the top; the firmware file and the status line at the
// bottom left; the instructions at the bottom right.
const std::array<ControlSpec, 52> kMainDialogControls = {{
    // Device table.
    {IDC_GROUP_DEVICES, K::GroupBox, u"设备信息", 7, 4, 689, 236, true},
    {IDC_DEVICE_LIST, K::ListView, nullptr, 14, 16, 675, 198, true},
    {IDC_SELECT_ALL, K::PushButton, u"全选", 14, 219, 44, 15, true},
    {IDC_INVERT, K::PushButton, u"反选", 64, 219, 44, 15, true},
    {IDC_TOTAL_LABEL, K::Static, u"总数:", 124, 222, 24, 10, true},
    {IDC_TOTAL, K::Static, u"0", 150, 222, 30, 10, true},
    {IDC_CHECKED_LABEL, K::Static, u"已选:", 186, 222, 24, 10, true},
    {IDC_CHECKED, K::Static, u"0", 212, 222, 30, 10, true},
    {IDC_EXPECTED_LABEL, K::Static, u"设备升级数目", 256, 222, 56, 10, true},
    {IDC_EXPECTED_COUNT, K::DropDownList, nullptr, 314, 219, 44, 150, true},
    {IDC_SUCCESS_LABEL, K::Static, u"成功:", 380, 222, 24, 10, true},
    {IDC_SUCCESS, K::Static, u"0", 406, 222, 30, 10, true},
    {IDC_FAILURE_LABEL, K::Static, u"失败:", 442, 222, 24, 10, true},
    {IDC_FAILURE, K::Static, u"0", 468, 222, 30, 10, true},

    // Hidden: nothing in the program shows them.
    {IDC_SEARCH, K::PushButton, u"搜索", 520, 219, 40, 15, false},
    {IDC_CHECK_ALL_BY_STATE, K::CheckBox, u"全选", 564, 221, 36, 10, false},
    {IDC_INVERT_HIDDEN, K::CheckBox, u"反选", 604, 221, 36, 10, false},
    {IDC_LANGUAGE_CHINESE, K::RadioButton, u"中文", 520, 206, 36, 10, false},
    {IDC_LANGUAGE_ENGLISH, K::RadioButton, u"English", 560, 206, 40, 10, false},
    {IDC_MODIFY_IP_NOW, K::PushButton, u"修改IP", 14, 300, 40, 14, false},
    {IDC_FORMAT_SD1_NOW, K::PushButton, u"格式化SD1", 58, 300, 40, 14, false},
    {IDC_FORMAT_SD2_NOW, K::PushButton, u"格式化SD2", 102, 300, 40, 14, false},
    {IDC_FORMAT_USB_NOW, K::PushButton, u"格式化USB", 146, 300, 40, 14, false},
    {IDC_RESTORE_NOW, K::PushButton, u"恢复设置", 190, 300, 40, 14, false},
    {IDC_REBOOT_NOW, K::PushButton, u"重启设备", 234, 300, 40, 14, false},
    {IDC_SET_TIME_NOW, K::PushButton, u"同步时间", 278, 300, 40, 14, false},

    // Firmware file.
    {IDC_GROUP_FIRMWARE, K::GroupBox, u"固件升级", 7, 244, 330, 38, true},
    {IDC_FILE_LABEL, K::Static, u"升级文件：", 14, 261, 44, 10, true},
    {IDC_FILE_PATH, K::Edit, nullptr, 60, 259, 218, 14, true},
    {IDC_BROWSE, K::PushButton, u"浏览", 284, 258, 44, 15, true},

    // Status line.
    {IDC_GROUP_STATUS, K::GroupBox, u"升级信息", 7, 286, 330, 55, true},
    {IDC_ACTION_LABEL, K::Static, u"当前动作:", 14, 309, 44, 10, true},
    {IDC_ACTION, K::Static, u"", 60, 309, 268, 10, true},

    // Instructions, in the order of the instruction table.
    {IDC_GROUP_INSTRUCTIONS, K::GroupBox, u"升级指令", 343, 244, 353, 97, true},
    {IDC_DO_SEARCH, K::CheckBox, u"搜索", 351, 258, 62, 10, true},
    {IDC_DO_MODIFY_IP, K::CheckBox, u"修改IP", 415, 258, 62, 10, true},
    {IDC_DO_ALLNET_ON, K::CheckBox, u"开启全网通", 479, 258, 62, 10, true},
    {IDC_DO_ALLNET_OFF, K::CheckBox, u"关闭全网通", 543, 258, 62, 10, true},
    {IDC_DO_UPGRADE, K::CheckBox, u"升级固件", 351, 274, 62, 10, true},
    {IDC_DO_SET_TIME, K::CheckBox, u"同步时间", 415, 274, 62, 10, true},
    {IDC_DO_FORMAT_SD1, K::CheckBox, u"格式化SD1", 479, 274, 62, 10, true},
    {IDC_DO_FORMAT_SD2, K::CheckBox, u"格式化SD2", 543, 274, 62, 10, true},
    {IDC_DO_FORMAT_USB, K::CheckBox, u"格式化USB", 351, 290, 62, 10, true},
    {IDC_DO_RESTORE, K::CheckBox, u"恢复设置", 415, 290, 62, 10, true},
    {IDC_DO_REBOOT, K::CheckBox, u"重启设备", 479, 290, 62, 10, true},
    {IDC_DO_OTHER_SETTINGS, K::CheckBox, u"其它设置", 543, 290, 62, 10, true},
    {IDC_START_ADDRESS, K::PushButton, u"设定IP", 616, 256, 72, 15, true},
    {IDC_OTHER_SETTINGS, K::PushButton, u"其它设置", 616, 288, 72, 15, true},
    {IDC_FORMAT_TIMEOUT_LABEL, K::Static, u"格式化超时时间(分钟)", 351, 308, 96, 10, true},
    {IDC_FORMAT_TIMEOUT, K::DropDownList, nullptr, 449, 306, 44, 150, true},
    {IDC_RUN_BATCH, K::PushButton, u"批量执行", 520, 319, 78, 17, true},
    {IDC_PREVIEW_CHECKED, K::PushButton, u"播放勾选设备", 610, 319, 78, 17, true},
}};

}  // namespace app
