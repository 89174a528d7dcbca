// The controls of the main window (template 102), one entry each: what the control is, where it
// sits, what it says and what it does in a batch. The window's layout, its re-titling, the
// instruction check boxes and their flags, the controls a run disables and the hidden buttons all
// come from this one table.
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "config/config_fields.h"
#include "discovery/device_record.h"
#include "text/text_id.h"

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

struct MainWindowControl {
  int id;
  ControlKind kind;
  int x, y, width, height;  // dialog units
  bool visible = true;
  // The text pair that re-titles the control when the language changes; its Chinese text is the
  // first caption, unless kTemplateCaptions holds another.
  std::optional<texts::TextId> text;
  // The caption of a control without a text pair, the same in both languages.
  const char16_t* fixedCaption = nullptr;
  // The row of the instruction table that the control selects (a check box) or runs on its own
  // (a hidden button).
  std::optional<int> instructionRow;
  // Where config.dat keeps an instruction check box's mark across starts.
  const config::Int32Field* flag = nullptr;
  // Disabled at the start of a run and enabled again at its end.
  bool disabledDuringRun = false;
};

// The template's size in dialog units.
constexpr int kMainDialogWidth = 703;
constexpr int kMainDialogHeight = 347;

extern const std::array<MainWindowControl, 52> kMainWindowControls;

// The four captions of the window's template that differ from the Chinese text of their pair: they
// show until the first change of language, which puts the pair's text there.
struct TemplateCaption {
  int id;
  const char16_t* caption;
};
extern const std::array<TemplateCaption, 4> kTemplateCaptions;

// The caption a control is created with.
QString InitialCaption(const MainWindowControl& control);

// The check box of a row of the instruction table.
int InstructionCheckBox(int row);
// The flag an instruction check box keeps in config.dat, and the check box of a flag.
std::optional<config::Int32Field> FlagOfCheckBox(int id);
std::optional<int> CheckBoxOfFlag(config::Int32Field flag);

// The items of combo 1038, minutes, in order.
constexpr std::array<const char16_t*, 17> kFormatTimeoutItems = {
    u"1",  u"2",  u"3",  u"4",  u"5",  u"6",  u"7",  u"8", u"9",
    u"10", u"12", u"14", u"16", u"18", u"20", u"25", u"30"};

// The columns of the device list, all centred: the text pair of the heading (the all-network
// column keeps its heading in both languages) and the width in pixels.
struct DeviceColumnEntry {
  std::optional<texts::TextId> text;
  int width;
};
extern const std::array<DeviceColumnEntry, discovery::kColumnCount> kDeviceColumns;

QString InitialHeading(int column);

}  // namespace app
