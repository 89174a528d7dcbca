#include "config/pages/settings_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdint>

#include "config/config_file.h"
#include "config/config_set.h"
#include "config/pages/escape_filter.h"
#include "config/pages/page_values.h"
#include "platform/clock.h"
#include "platform/date_time_ctrl.h"
#include "platform/dialog_service.h"
#include "platform/ip_address_ctrl.h"

namespace config {
namespace {

// The height of a closed drop-down list, as on the main window.
constexpr int kComboHeight = 13;
constexpr char16_t kTimeFormat[] = u"HH:mm:ss";

// Consecutive uint16 values of a date-time field, from its year.
constexpr int kYearStep = 0;
constexpr int kMonthStep = 2;
constexpr int kDayStep = 4;
constexpr int kHourStep = 6;
constexpr int kMinuteStep = 8;
constexpr int kSecondStep = 10;

}  // namespace

SettingsPage::SettingsPage(int templateId, QWidget* parent) : Dialog(templateId, parent) {
  // A child of the other-settings window, not a window of its own.
  setWindowFlags(Qt::Widget);
  resize(DialogUnitsToPixels(0, 0, kPageWidth, kPageHeight).size());
  EscapeFilter::Install(this);
}

BOOL SettingsPage::OnInitDialog() {
  for (const Binding& binding : m_bindings) {
    if (binding.kind != Kind::Choice) continue;
    auto* combo = DlgItem<QComboBox>(binding.id);
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (int position = 0; position < static_cast<int>(binding.items.size()); ++position)
      combo->insertItem(position, binding.items[static_cast<std::size_t>(position)]);
    combo->setCurrentIndex(binding.initialItem);
  }
  return TRUE;
}

void SettingsPage::LoadPage() {
  for (const Binding& binding : m_bindings) ShowBinding(binding);
}

void SettingsPage::StoreShownValues() {
  for (const Binding& binding : m_bindings) StoreBinding(binding);
}

void SettingsPage::ShowFlag(int id, Int32Field field) {
  CheckDlgButton(id, ProcessConfigSet().Get(field) != 0);
}

void SettingsPage::ShowChoice(int id, Int32Field field) {
  auto* combo = DlgItem<QComboBox>(id);
  if (combo == nullptr) return;
  int initialItem = 0;
  for (const Binding& binding : m_bindings)
    if (binding.id == id) initialItem = binding.initialItem;
  // A stored position that names no item (a foreign or hand-edited file) shows the initial item,
  // which the set then takes, rather than an empty box while the push sends the stray number.
  const int index = ProcessConfigSet().Get(field);
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : initialItem);
}

void SettingsPage::ShowBinding(const Binding& binding) {
  const ConfigSet& set = ProcessConfigSet();
  switch (binding.kind) {
    case Kind::EnableFlag:
      ShowFlag(binding.id, Int32Field{binding.offset});
      break;
    case Kind::Choice:
      ShowChoice(binding.id, Int32Field{binding.offset});
      break;
    case Kind::Number:
      SetDlgItemText(binding.id, QString::asprintf("%d", set.Get(Int32Field{binding.offset})));
      break;
    case Kind::Text:
    case Kind::Address:
      SetDlgItemText(binding.id, set.Get(TextField{binding.offset}));
      break;
    case Kind::Time: {
      // Today's local date with the stored time of day.
      platform::SYSTEMTIME time{};
      platform::GetLocalTime(&time);
      const TimeFields field = TimeAt(binding.offset);
      time.wHour = set.Get(field.hour);
      time.wMinute = set.Get(field.minute);
      time.wSecond = set.Get(field.second);
      DlgItem<platform::DateTimeCtrl>(binding.id)->SetTime(time);
      break;
    }
    case Kind::DateTime: {
      auto value = [&set, &binding](int step) {
        return static_cast<int>(set.Get(Uint16Field{binding.offset + step}));
      };
      const platform::SYSTEMTIME time{
          value(kYearStep),   value(kMonthStep),  0, value(kDayStep), value(kHourStep),
          value(kMinuteStep), value(kSecondStep), 0};
      // A date the picker cannot show (all zero before the first change) leaves it as it was.
      DlgItem<platform::DateTimeCtrl>(binding.id)->SetTime(time);
      break;
    }
  }
}

void SettingsPage::StoreBinding(const Binding& binding) const {
  ConfigSet& set = ProcessConfigSet();
  switch (binding.kind) {
    case Kind::EnableFlag:
      set.Set(Int32Field{binding.offset}, IsDlgButtonChecked(binding.id) ? 1 : 0);
      break;
    case Kind::Choice: {
      // A box emptied by the program has no position to store.
      const int index = DlgItem<QComboBox>(binding.id)->currentIndex();
      if (index >= 0) set.Set(Int32Field{binding.offset}, index);
      break;
    }
    case Kind::Number:
      set.Set(Int32Field{binding.offset}, WideToInt(GetDlgItemText(binding.id)));
      break;
    case Kind::Text:
      set.Set(TextField{binding.offset}, GetDlgItemText(binding.id));
      break;
    case Kind::Address:
      StoreAddressText(set, TextField{binding.offset}, GetDlgItemText(binding.id));
      break;
    case Kind::Time: {
      const platform::SYSTEMTIME time = DlgItem<platform::DateTimeCtrl>(binding.id)->GetTime();
      const TimeFields field = TimeAt(binding.offset);
      set.Set(field.hour, time.wHour);
      set.Set(field.minute, time.wMinute);
      set.Set(field.second, time.wSecond);
      break;
    }
    case Kind::DateTime: {
      const platform::SYSTEMTIME time = DlgItem<platform::DateTimeCtrl>(binding.id)->GetTime();
      auto store = [&set, &binding](int step, int value) {
        set.Set(Uint16Field{binding.offset + step}, static_cast<std::uint16_t>(value));
      };
      store(kYearStep, time.wYear);
      store(kMonthStep, time.wMonth);
      store(kDayStep, time.wDay);
      store(kHourStep, time.wHour);
      store(kMinuteStep, time.wMinute);
      store(kSecondStep, time.wSecond);
      break;
    }
  }
}

void SettingsPage::AddGroupBox(DluRect rect) {
  auto* group = new QGroupBox(this);
  group->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  // Below every control it frames.
  group->lower();
}

QLabel* SettingsPage::AddLabel(const QString& text, DluRect rect, bool rightAligned) {
  auto* label = new QLabel(text, this);
  label->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  label->setAlignment((rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return label;
}

void SettingsPage::AddEtchedLine(DluRect rect, bool horizontal) {
  auto* line = new QFrame(this);
  line->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  QRect pixels = DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height);
  // Two pixels: the dark and the light edge of the etch.
  if (horizontal) {
    pixels.setHeight(2);
  } else {
    pixels.setWidth(2);
  }
  line->setGeometry(pixels);
}

void SettingsPage::AddEnableFlag(int id, const QString& caption, DluRect rect, Int32Field field) {
  auto* check = new QCheckBox(caption, this);
  SetControlId(check, id);
  check->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  const Binding binding{id, Kind::EnableFlag, field.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(check, &QCheckBox::clicked, this, [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddChoice(int id, DluRect rect, std::initializer_list<const char16_t*> items,
                             Int32Field field, int initialItem) {
  std::vector<QString> texts;
  for (const char16_t* item : items) texts.push_back(QString::fromUtf16(item));
  AddChoice(id, rect, std::move(texts), field, initialItem);
}

void SettingsPage::AddChoice(int id, DluRect rect, std::vector<QString> items, Int32Field field,
                             int initialItem) {
  auto* combo = new QComboBox(this);
  SetControlId(combo, id);
  combo->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, kComboHeight));
  // Long lists drop down far enough to be read without much scrolling.
  combo->setMaxVisibleItems(std::max(10, rect.height / kComboHeight));
  const Binding binding{id, Kind::Choice, field.offset, std::move(items), initialItem};
  m_bindings.push_back(binding);
  // Follows programmatic selections too, as the load routine's writes back rely on.
  connect(combo, &QComboBox::currentIndexChanged, this, [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddNumber(int id, DluRect rect, Int32Field field) {
  auto* edit = new QLineEdit(this);
  SetControlId(edit, id);
  edit->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  const Binding binding{id, Kind::Number, field.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(edit, &QLineEdit::textChanged, this, [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddText(int id, DluRect rect, TextField field, bool password) {
  auto* edit = new QLineEdit(this);
  SetControlId(edit, id);
  edit->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  if (password) edit->setEchoMode(QLineEdit::Password);
  const Binding binding{id, Kind::Text, field.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(edit, &QLineEdit::textChanged, this, [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddAddress(int id, DluRect rect, TextField field) {
  auto* address = new platform::IpAddressCtrl(this);
  SetControlId(address, id);
  address->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  const Binding binding{id, Kind::Address, field.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(address, &platform::IpAddressCtrl::FieldChanged, this,
          [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddTime(int id, DluRect rect, TimeFields field) {
  auto* picker = new platform::DateTimeCtrl(QString::fromUtf16(kTimeFormat), this);
  SetControlId(picker, id);
  picker->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  const Binding binding{id, Kind::Time, field.hour.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(picker, &QDateTimeEdit::dateTimeChanged, this,
          [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddDateTime(int id, DluRect rect, Uint16Field year,
                               const QString& displayFormat) {
  auto* picker = new platform::DateTimeCtrl(displayFormat, this);
  SetControlId(picker, id);
  picker->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  const Binding binding{id, Kind::DateTime, year.offset, {}, 0};
  m_bindings.push_back(binding);
  connect(picker, &QDateTimeEdit::dateTimeChanged, this,
          [this, binding] { StoreBinding(binding); });
}

void SettingsPage::AddSaveButton(int id, DluRect rect, std::function<void()> handler) {
  auto* button = new QPushButton(QString::fromUtf16(kSaveCaption), this);
  SetControlId(button, id);
  button->setGeometry(DialogUnitsToPixels(rect.x, rect.y, rect.width, rect.height));
  // Never a default button: Enter in a field of any page must not store the file.
  button->setAutoDefault(false);
  button->setDefault(false);
  if (!handler) handler = [this] { OnSave(); };
  connect(button, &QPushButton::clicked, this, [handler = std::move(handler)] { handler(); });
}

void SettingsPage::OnSave() {
  const bool stored = StoreConfig() == kStoreOk;
  platform::AfxMessageBox(this, QString::fromUtf16(stored ? kSaveSucceeded : kSaveFailed));
}

}  // namespace config
