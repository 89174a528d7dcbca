#include "app/main_window_view.h"

#include "app/main_window_controls.h"
#include "discovery/device_record.h"
#include "platform/dialog.h"
#include "platform/dialog_service.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

namespace app {
namespace {

int CounterControl(discovery::Counter counter) {
  switch (counter) {
    case discovery::Counter::kTotal:
      return ids::IDC_TOTAL;
    case discovery::Counter::kChecked:
      return ids::IDC_CHECKED;
    case discovery::Counter::kSuccess:
      return ids::IDC_SUCCESS;
    case discovery::Counter::kFailure:
      return ids::IDC_FAILURE;
  }
  return ids::IDC_TOTAL;
}

}  // namespace

void MainWindowView::ShowCounter(discovery::Counter counter, int value) {
  m_window.SetDlgItemText(CounterControl(counter), QString::asprintf("%d", value));
}

void MainWindowView::ShowAction(const QString& text) {
  m_window.SetDlgItemText(ids::IDC_ACTION, text);
}

void MainWindowView::EnableSearchButton(bool enable) {
  m_window.EnableDlgItem(ids::IDC_SEARCH, enable);
}

void MainWindowView::SetTimer(UINT id, DWORD periodMs) {
  m_window.SetTimer(id, periodMs);
}

void MainWindowView::KillTimer(UINT id) {
  m_window.KillTimer(id);
}

bool MainWindowView::IsTimerRunning(UINT id) const {
  return m_window.IsTimerRunning(id);
}

void MainWindowView::DropPendingRowStatus() {
  m_window.RemovePendingMessages(discovery::kMsgRowStatus);
}

void MainWindowView::Repaint() {
  m_window.repaint();
}

bool MainWindowView::AskYesNo(const QString& question) {
  return platform::AskYesNo(&m_window, question);
}

bool MainWindowView::IsInstructionChecked(int row) const {
  return m_window.IsDlgButtonChecked(InstructionCheckBox(row));
}

QString MainWindowView::FirmwarePath() const {
  return m_window.GetDlgItemText(ids::IDC_FILE_PATH);
}

void MainWindowView::EnableRunControls(bool enable) {
  for (const MainWindowControl& control : kMainWindowControls)
    if (control.disabledDuringRun) m_window.EnableDlgItem(control.id, enable);
  m_list.SetSortable(enable);
}

void MainWindowView::Tell(const QString& message) {
  platform::AfxMessageBox(&m_window, message);
}

}  // namespace app
