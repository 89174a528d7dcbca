#include "app/main_window_controls.h"

#include "batch/instruction_table.h"
#include "text/fixed_texts.h"
#include "text/text.h"
#include "ui/main_dialog_ids.h"

namespace app {

using K = ControlKind;
using namespace ids;
using namespace texts;
using namespace batch;

namespace {

// An entry of the table, built up by name: Control(...).Titled(...).Selects(...) and so on.
struct Entry {
  MainWindowControl control;

  constexpr Entry Hidden() const {
    return With([](MainWindowControl& c) { c.visible = false; });
  }
  constexpr Entry Titled(TextId text) const {
    return With([text](MainWindowControl& c) { c.text = text; });
  }
  constexpr Entry Captioned(const char16_t* caption) const {
    return With([caption](MainWindowControl& c) { c.fixedCaption = caption; });
  }
  constexpr Entry Selects(int row) const {
    return With([row](MainWindowControl& c) { c.instructionRow = row; });
  }
  constexpr Entry KeptIn(const config::Int32Field& flag) const {
    return With([&flag](MainWindowControl& c) { c.flag = &flag; });
  }
  constexpr Entry OffDuringRun() const {
    return With([](MainWindowControl& c) { c.disabledDuringRun = true; });
  }
  constexpr operator MainWindowControl() const { return control; }

 private:
  template <typename Change>
  constexpr Entry With(Change change) const {
    Entry changed = *this;
    change(changed.control);
    return changed;
  }
};

constexpr Entry Control(int id, ControlKind kind, int x, int y, int width, int height) {
  Entry entry{};
  MainWindowControl& control = entry.control;
  control.id = id;
  control.kind = kind;
  control.x = x;
  control.y = y;
  control.width = width;
  control.height = height;
  return entry;
}

// A hidden button that runs one instruction on its own; they sit in one row, 44 units apart.
constexpr Entry HiddenRunButton(int id, int x, const char16_t* caption, int row) {
  return Control(id, K::PushButton, x, 300, 40, 14)
      .Hidden()
      .Captioned(caption)
      .Selects(row)
      .OffDuringRun();
}

// An instruction check box of the bottom-right group: it selects its row of the instruction
// table and cannot change while a run goes on.
constexpr Entry InstructionBox(int id, int x, int y, int row) {
  return Control(id, K::CheckBox, x, y, 62, 10).Selects(row).OffDuringRun();
}

}  // namespace

// Four group boxes: the device table across the top; the firmware file and the status line at the
// bottom left; the instructions at the bottom right. The hidden controls: nothing in the program
// shows them.
const std::array<MainWindowControl, 52> kMainWindowControls = {{
    // Device table.
    Control(IDC_GROUP_DEVICES, K::GroupBox, 7, 4, 689, 236).Titled(kTextDeviceInfo),
    Control(IDC_DEVICE_LIST, K::ListView, 14, 16, 675, 198),
    Control(IDC_SELECT_ALL, K::PushButton, 14, 219, 44, 15).Titled(kTextSelectAll).OffDuringRun(),
    Control(IDC_INVERT, K::PushButton, 64, 219, 44, 15).Titled(kTextInvertSelection).OffDuringRun(),
    Control(IDC_TOTAL_LABEL, K::Static, 124, 222, 24, 10).Titled(kTextTotal),
    Control(IDC_TOTAL, K::Static, 150, 222, 30, 10).Captioned(u"0"),
    Control(IDC_CHECKED_LABEL, K::Static, 186, 222, 24, 10).Titled(kTextChecked),
    Control(IDC_CHECKED, K::Static, 212, 222, 30, 10).Captioned(u"0"),
    Control(IDC_EXPECTED_LABEL, K::Static, 256, 222, 56, 10).Titled(kTextDeviceCount),
    Control(IDC_EXPECTED_COUNT, K::DropDownList, 314, 219, 44, 150).OffDuringRun(),
    Control(IDC_SUCCESS_LABEL, K::Static, 380, 222, 24, 10).Titled(kTextSuccess),
    Control(IDC_SUCCESS, K::Static, 406, 222, 30, 10).Captioned(u"0"),
    Control(IDC_FAILURE_LABEL, K::Static, 442, 222, 24, 10).Titled(kTextFailed),
    Control(IDC_FAILURE, K::Static, 468, 222, 30, 10).Captioned(u"0"),

    // Hidden.
    Control(IDC_SEARCH, K::PushButton, 520, 219, 40, 15).Hidden().Captioned(u"搜索").OffDuringRun(),
    Control(IDC_CHECK_ALL_BY_STATE, K::CheckBox, 564, 221, 36, 10).Hidden().Captioned(u"全选"),
    Control(IDC_INVERT_HIDDEN, K::CheckBox, 604, 221, 36, 10)
        .Hidden()
        .Captioned(u"反选")
        .OffDuringRun(),
    Control(IDC_LANGUAGE_CHINESE, K::RadioButton, 520, 206, 36, 10).Hidden().Captioned(u"中文"),
    Control(IDC_LANGUAGE_ENGLISH, K::RadioButton, 560, 206, 40, 10).Hidden().Captioned(u"English"),
    HiddenRunButton(IDC_MODIFY_IP_NOW, 14, u"修改IP", kRowModifyIp),
    HiddenRunButton(IDC_FORMAT_SD1_NOW, 58, u"格式化SD1", kRowFormatSd1),
    HiddenRunButton(IDC_FORMAT_SD2_NOW, 102, u"格式化SD2", kRowFormatSd2),
    HiddenRunButton(IDC_FORMAT_USB_NOW, 146, u"格式化USB", kRowFormatUsb),
    HiddenRunButton(IDC_RESTORE_NOW, 190, u"恢复设置", kRowRestore),
    HiddenRunButton(IDC_REBOOT_NOW, 234, u"重启设备", kRowReboot),
    HiddenRunButton(IDC_SET_TIME_NOW, 278, u"同步时间", kRowSetTime),

    // Firmware file.
    Control(IDC_GROUP_FIRMWARE, K::GroupBox, 7, 244, 330, 38).Titled(kTextFirmwareUpgrade),
    Control(IDC_FILE_LABEL, K::Static, 14, 261, 44, 10).Titled(kTextUpgradeFile),
    Control(IDC_FILE_PATH, K::Edit, 60, 259, 218, 14).OffDuringRun(),
    Control(IDC_BROWSE, K::PushButton, 284, 258, 44, 15).Titled(kTextBrowse).OffDuringRun(),

    // Status line.
    Control(IDC_GROUP_STATUS, K::GroupBox, 7, 286, 330, 55).Titled(kTextUpgradeInformation),
    Control(IDC_ACTION_LABEL, K::Static, 14, 309, 44, 10).Titled(kTextCurrentAction),
    Control(IDC_ACTION, K::Static, 60, 309, 268, 10).Captioned(u""),

    // Instructions, in the order of the instruction table.
    Control(IDC_GROUP_INSTRUCTIONS, K::GroupBox, 343, 244, 353, 97).Titled(kTextSelectAction),
    InstructionBox(IDC_DO_SEARCH, 351, 258, kRowSearch)
        .Titled(kTextSearch)
        .KeptIn(config::kSearchFlag),
    InstructionBox(IDC_DO_MODIFY_IP, 415, 258, kRowModifyIp)
        .Titled(kTextModifyIp)
        .KeptIn(config::kModifyIpFlag),
    InstructionBox(IDC_DO_ALLNET_ON, 479, 258, kRowAllNetworkOn).Captioned(u"开启全网通"),
    InstructionBox(IDC_DO_ALLNET_OFF, 543, 258, kRowAllNetworkOff).Captioned(u"关闭全网通"),
    InstructionBox(IDC_DO_UPGRADE, 351, 274, kRowUpgrade)
        .Titled(kTextUpgrade)
        .KeptIn(config::kUpgradeFlag),
    InstructionBox(IDC_DO_SET_TIME, 415, 274, kRowSetTime)
        .Titled(kTextSetTime)
        .KeptIn(config::kSetTimeFlag),
    InstructionBox(IDC_DO_FORMAT_SD1, 479, 274, kRowFormatSd1)
        .Titled(kTextFormatSd1)
        .KeptIn(config::kFormatSd1Flag),
    InstructionBox(IDC_DO_FORMAT_SD2, 543, 274, kRowFormatSd2)
        .Titled(kTextFormatSd2)
        .KeptIn(config::kFormatSd2Flag),
    InstructionBox(IDC_DO_FORMAT_USB, 351, 290, kRowFormatUsb)
        .Titled(kTextFormatUsb)
        .KeptIn(config::kFormatUsbFlag),
    InstructionBox(IDC_DO_RESTORE, 415, 290, kRowRestore)
        .Titled(kTextFactorySet)
        .KeptIn(config::kFactoryRestoreFlag),
    InstructionBox(IDC_DO_REBOOT, 479, 290, kRowReboot)
        .Titled(kTextReboot)
        .KeptIn(config::kRebootFlag),
    InstructionBox(IDC_DO_OTHER_SETTINGS, 543, 290, kRowOtherSettings)
        .Captioned(u"其它设置")
        .KeptIn(config::kOtherSettingsFlag),
    Control(IDC_START_ADDRESS, K::PushButton, 616, 256, 72, 15).Captioned(u"设定IP").OffDuringRun(),
    Control(IDC_OTHER_SETTINGS, K::PushButton, 616, 288, 72, 15)
        .Captioned(u"其它设置")
        .OffDuringRun(),
    Control(IDC_FORMAT_TIMEOUT_LABEL, K::Static, 351, 308, 96, 10)
        .Titled(kTextFormatTimeout)
        .OffDuringRun(),
    Control(IDC_FORMAT_TIMEOUT, K::DropDownList, 449, 306, 44, 150).OffDuringRun(),
    Control(IDC_RUN_BATCH, K::PushButton, 520, 319, 78, 17).Titled(kTextEnter).OffDuringRun(),
    Control(IDC_PREVIEW_CHECKED, K::PushButton, 610, 319, 78, 17)
        .Captioned(u"播放勾选设备")
        .OffDuringRun(),
}};

const std::array<TemplateCaption, 4> kTemplateCaptions = {{
    {IDC_EXPECTED_LABEL, u"设备升级数目"},
    {IDC_FILE_LABEL, u"升级文件："},
    {IDC_DO_UPGRADE, u"升级固件"},
    {IDC_RUN_BATCH, u"批量执行"},
}};

const std::array<DeviceColumnEntry, discovery::kColumnCount> kDeviceColumns = {{
    {kTextColumnIpAddress, 125},
    {kTextColumnMacAddress, 125},
    {kTextColumnSerial, 135},
    {kTextColumnDeviceType, 115},
    {kTextColumnVersionBefore, 180},
    {kTextColumnVersionAfter, 180},
    {kTextColumnStatus, 240},
    {std::nullopt, 60},
}};

QString InitialCaption(const MainWindowControl& control) {
  for (const TemplateCaption& entry : kTemplateCaptions)
    if (entry.id == control.id) return QString::fromUtf16(entry.caption);
  if (control.text) return Text(*control.text, kLanguageChinese);
  return control.fixedCaption != nullptr ? QString::fromUtf16(control.fixedCaption) : QString();
}

QString InitialHeading(int column) {
  const DeviceColumnEntry& entry = kDeviceColumns.at(static_cast<std::size_t>(column));
  return entry.text ? Text(*entry.text, kLanguageChinese) : QString::fromUtf16(kAllNetworkHeading);
}

int InstructionCheckBox(int row) {
  for (const MainWindowControl& control : kMainWindowControls)
    if (control.kind == K::CheckBox && control.instructionRow == row) return control.id;
  return 0;
}

std::optional<config::Int32Field> FlagOfCheckBox(int id) {
  for (const MainWindowControl& control : kMainWindowControls)
    if (control.id == id && control.flag != nullptr) return *control.flag;
  return std::nullopt;
}

std::optional<int> CheckBoxOfFlag(config::Int32Field flag) {
  for (const MainWindowControl& control : kMainWindowControls)
    if (control.flag != nullptr && *control.flag == flag) return control.id;
  return std::nullopt;
}

}  // namespace app
