#include "app/main_window_settings.h"

#include <QComboBox>
#include <algorithm>

#include "app/main_window_controls.h"
#include "config/config_file.h"
#include "config/config_set.h"
#include "config/instruction_flags.h"
#include "config/pages/other_set_dlg.h"
#include "ui/main_dialog_ids.h"

namespace app {
namespace {

using namespace ids;

constexpr int kExpectedCountItems = 250;
constexpr int kMsPerMinute = 60000;
constexpr int kMaxComboTextChars = 64;

}  // namespace

void MainWindowSettings::FillCombos() {
  auto* counts = m_window.DlgItem<QComboBox>(IDC_EXPECTED_COUNT);
  for (int count = 1; count <= kExpectedCountItems; ++count)
    counts->addItem(QString::asprintf("%d", count));
  // The format time-out combo is filled from the template's initial data, before the dialog's
  // initialisation.
  auto* timeouts = m_window.DlgItem<QComboBox>(IDC_FORMAT_TIMEOUT);
  for (const char16_t* item : kFormatTimeoutItems) timeouts->addItem(QString::fromUtf16(item));
  QObject::connect(timeouts, &QComboBox::activated, timeouts,
                   [this] { OnSelchangeFormatTimeout(); });
}

void MainWindowSettings::ReadExpectedCount() {
  m_expectedCount =
      std::clamp(m_window.GetDlgItemText(IDC_EXPECTED_COUNT).toInt(), 1, kExpectedCountItems);
}

void MainWindowSettings::ReadFormatTimeout() {
  m_formatTimeoutMs =
      m_window.GetDlgItemText(IDC_FORMAT_TIMEOUT).left(kMaxComboTextChars).toInt() * kMsPerMinute;
}

void MainWindowSettings::OnSelchangeExpectedCount() {
  ReadExpectedCount();
  config::ProcessConfigSet().Set(config::kDeviceCountIndex,
                                 m_window.DlgItem<QComboBox>(IDC_EXPECTED_COUNT)->currentIndex());
  config::StoreConfig();
}

void MainWindowSettings::OnSelchangeFormatTimeout() {
  ReadFormatTimeout();
  config::ProcessConfigSet().Set(config::kFormatTimeoutIndex,
                                 m_window.DlgItem<QComboBox>(IDC_FORMAT_TIMEOUT)->currentIndex());
  config::StoreConfig();
}

void MainWindowSettings::OnInstructionCheck(int checkBoxId) {
  const std::optional<config::Int32Field> flag = FlagOfCheckBox(checkBoxId);
  if (!flag) return;
  const std::vector<config::Int32Field> cleared = config::RecordInstructionCheck(
      config::ProcessConfigSet(), *flag, m_window.IsDlgButtonChecked(checkBoxId));
  for (config::Int32Field other : cleared)
    if (const std::optional<int> box = CheckBoxOfFlag(other)) m_window.CheckDlgButton(*box, false);
  config::StoreConfig();
}

void MainWindowSettings::OnAllNetworkCheck(int checkBoxId) {
  // "开启全网通" and "关闭全网通" exclude each other; neither is stored.
  if (m_window.IsDlgButtonChecked(IDC_DO_ALLNET_ON) &&
      m_window.IsDlgButtonChecked(IDC_DO_ALLNET_OFF)) {
    m_window.CheckDlgButton(checkBoxId == IDC_DO_ALLNET_ON ? IDC_DO_ALLNET_OFF : IDC_DO_ALLNET_ON,
                            false);
  }
}

void MainWindowSettings::Load(config::COtherSetDlg& pages) {
  if (config::LoadConfig() == 0) {
    Restore();
    pages.LoadAllPages();
  } else {
    ApplyDefaults();
    // The defaults file holds zero groups; from here on the set holds what the pages show,
    // which is what a push sends.
    pages.StoreShownValues();
  }
}

void MainWindowSettings::ApplyDefaults() {
  m_window.DlgItem<QComboBox>(IDC_EXPECTED_COUNT)
      ->setCurrentIndex(config::kDefaultDeviceCountIndex);
  OnSelchangeExpectedCount();
  m_window.DlgItem<QComboBox>(IDC_FORMAT_TIMEOUT)
      ->setCurrentIndex(config::kDefaultFormatTimeoutIndex);
  OnSelchangeFormatTimeout();
  for (config::Int32Field flag : config::kDefaultCheckedFlags) {
    if (const std::optional<int> box = CheckBoxOfFlag(flag)) m_window.CheckDlgButton(*box, true);
    config::ProcessConfigSet().Set(flag, 1);
  }
  config::StoreConfig();
}

void MainWindowSettings::Restore() {
  const config::ConfigSet& set = config::ProcessConfigSet();
  // An index that names no item (a hand-edited file) falls back to the default selection, so the
  // search never waits for zero devices.
  auto restoreCombo = [this](int id, int index, int fallback) {
    auto* combo = m_window.DlgItem<QComboBox>(id);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : fallback);
  };
  restoreCombo(IDC_EXPECTED_COUNT, set.Get(config::kDeviceCountIndex),
               config::kDefaultDeviceCountIndex);
  restoreCombo(IDC_FORMAT_TIMEOUT, set.Get(config::kFormatTimeoutIndex),
               config::kDefaultFormatTimeoutIndex);
  for (const MainWindowControl& control : kMainWindowControls)
    if (control.flag != nullptr) m_window.CheckDlgButton(control.id, set.Get(*control.flag) != 0);
  ReadExpectedCount();
  ReadFormatTimeout();
}

}  // namespace app
