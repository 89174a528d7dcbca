// The main window's own settings in config.dat: the expected device count and format time-out
// combos and the instruction check boxes. At start-up they are restored from the file, or set to
// the first-start defaults when there is none; each change is stored at once. The window reads
// what it derives from them here: the expected count and the format time-out.
#pragma once

#include "platform/dialog.h"

namespace config {
class COtherSetDlg;
}

namespace app {

class MainWindowSettings {
 public:
  explicit MainWindowSettings(platform::Dialog& window) : m_window(window) {}

  // The two combos' items; the format time-out's selection change is connected here.
  void FillCombos();
  // Reads config.dat into the window and the other-settings pages, or applies the defaults.
  void Load(config::COtherSetDlg& pages);

  void OnSelchangeExpectedCount();
  void OnSelchangeFormatTimeout();
  void OnInstructionCheck(int checkBoxId);
  void OnAllNetworkCheck(int checkBoxId);

  int ExpectedCount() const { return m_expectedCount; }
  int FormatTimeoutMs() const { return m_formatTimeoutMs; }

 private:
  void ApplyDefaults();
  void Restore();
  // The derived values, from the combos' current texts.
  void ReadExpectedCount();
  void ReadFormatTimeout();

  platform::Dialog& m_window;
  int m_expectedCount = 0;
  int m_formatTimeoutMs = 0;
};

}  // namespace app
