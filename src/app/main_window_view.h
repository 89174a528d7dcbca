// The main window as the device table and the run controller see it: its counters, action line,
// timers and questions, the instruction check boxes and the controls a run disables.
#pragma once

#include "batch/run_view.h"

class CReportCtrl;

namespace platform {
class Dialog;
}

namespace app {

class MainWindowView : public batch::RunView {
 public:
  MainWindowView(platform::Dialog& window, CReportCtrl& list) : m_window(window), m_list(list) {}

  // discovery::TableWindow.
  void ShowCounter(discovery::Counter counter, int value) override;
  void ShowAction(const QString& text) override;
  void EnableSearchButton(bool enable) override;
  void SetTimer(UINT id, DWORD periodMs) override;
  void KillTimer(UINT id) override;
  bool IsTimerRunning(UINT id) const override;
  void DropPendingRowStatus() override;
  void Repaint() override;
  bool AskYesNo(const QString& question) override;

  // batch::RunView.
  bool IsInstructionChecked(int row) const override;
  QString FirmwarePath() const override;
  void EnableRunControls(bool enable) override;
  void Tell(const QString& message) override;

 private:
  platform::Dialog& m_window;
  CReportCtrl& m_list;
};

}  // namespace app
