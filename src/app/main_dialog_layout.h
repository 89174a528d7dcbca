// The controls of the main window (template 102): ID, kind, template caption, position in dialog
// units and whether the control is created visible. The window creates its controls from this
// table.
#pragma once

#include <array>

#include "discovery/device_record.h"

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
