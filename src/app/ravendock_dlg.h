// The main window (template 102): the device table, the counters, the firmware file, the
// instruction check boxes and the status line. It owns everything the rest of the program works
// on and routes each control's notifications to the subsystem that handles it.
#pragma once

#include <QIcon>
#include <QPoint>

#include "platform/dialog.h"

class CReportCtrl;
class QMenu;

class CRavendockDlg : public platform::Dialog {
  Q_OBJECT

 public:
  explicit CRavendockDlg(QWidget* parent = nullptr);
  ~CRavendockDlg() override;

  // Start-up: libraries, list, combos, settings; returns TRUE as the framework expects.
  BOOL OnInitDialog();

  CReportCtrl& DeviceList() { return *m_deviceList; }

  int TotalCount() const { return m_totalCount; }
  int CheckedCount() const { return m_checkedCount; }
  int FormatTimeoutMs() const { return m_formatTimeoutMs; }
  int LanguageIndex() const { return m_languageIndex; }

  // The stand-in for the system menu: minimise and close, then, below a separator, the About item
  // (command 16). Shown by a right click on the window and by Alt+Space.
  QMenu* SystemMenu() const { return m_systemMenu; }
  void OnSysCommand(UINT id);

  // The handler of combo 1038: format time-out = the selected minutes × 60000.
  void OnSelchangeFormatTimeout();

 protected:
  // Swallows Escape (key down and key up) for the window and all its controls.
  bool PreTranslateMessage(QObject* target, QEvent* event);
  bool eventFilter(QObject* target, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateSystemMenu();
  void SetUpDeviceList();
  void FillExpectedCountCombo();
  void FillFormatTimeoutCombo();
  void ShowAboutBox();

  CReportCtrl* m_deviceList = nullptr;
  QMenu* m_systemMenu = nullptr;
  QIcon m_icon;

  int m_totalCount = 0;
  int m_checkedCount = 0;
  int m_batchRunning = 0;
  DWORD m_searchStartTick = 0;
  int m_formatTimeoutMs = 0;
  int m_languageIndex = 0;
  int m_expectedCount = 0;
};
