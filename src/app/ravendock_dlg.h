// The main window (template 102): the device table, the counters, the firmware file, the
// instruction check boxes and the status line. It owns everything the rest of the program works
// on and routes each control's notifications to the subsystem that handles it.
#pragma once

#include <QIcon>
#include <QPoint>
#include <atomic>
#include <functional>
#include <memory>

#include "app/main_window_settings.h"
#include "app/main_window_view.h"
#include "batch/library_calls.h"
#include "batch/run_host.h"
#include "discovery/search_host.h"
#include "platform/dialog.h"

class CReportCtrl;
class QMenu;

namespace batch {
class Engine;
class RunController;
}  // namespace batch

namespace discovery {
class DeviceTable;
}

namespace ui {
class DeviceListView;
}

namespace operations {
class Operations;
}

namespace config {
class CameraSettings;
class COtherSetDlg;
class PushRunner;
}  // namespace config

class CRavendockDlg : public platform::Dialog, public discovery::SearchHost, public batch::RunHost {
  Q_OBJECT

 public:
  // programDirectory: where config.dat lives; the executable's directory when empty. library:
  // the device library calls of the engine and the push, which a test may wrap.
  explicit CRavendockDlg(const QString& programDirectory = QString(),
                         batch::LibraryCalls library = {}, QWidget* parent = nullptr);
  ~CRavendockDlg() override;

  // Start-up: libraries, list, combos, settings; returns TRUE as the framework expects.
  BOOL OnInitDialog();

  CReportCtrl& DeviceList() { return *m_deviceList; }
  discovery::DeviceTable& Devices() { return *m_deviceTable; }
  batch::Engine& Engine() { return *m_engine; }
  batch::RunController& Runs() { return *m_runController; }
  operations::Operations& Instructions() { return *m_operations; }
  // The other-settings window, created hidden by OnInitDialog.
  config::COtherSetDlg& OtherSettings() { return *m_otherSetDlg; }
  // The cameras choice, loaded by OnInitDialog.
  config::CameraSettings& Cameras() { return *m_cameras; }

  int FormatTimeoutMs() const { return m_settings.FormatTimeoutMs(); }

  // SearchHost.
  int LanguageIndex() const override { return m_languageIndex; }
  int ExpectedCount() const override { return m_settings.ExpectedCount(); }
  bool IsBatchRunning() const override;
  void OnSearchStarting() override;
  void DetachRecords() override;
  bool RetiredRecordsUnreachable() const override;
  void OnSearchComplete() override;
  void OnSearchAbandoned() override;
  void VisitRestorePending(const std::function<bool(discovery::DeviceRecord&)>& visit) override;

  // RunHost.
  int CheckedCount() const override;
  std::vector<discovery::DeviceRecord*> CheckedRecords() const override;
  batch::UpgradeCounts CountUpgradeResults() override;
  bool AllPushRecordsDone() override;
  void EmptyPushList() override;
  void PreviewCheckedDevices() override;
  // The double-click on a row: the single-device preview of its record, if it has one.
  void PlayDevice(int row);

  // Closing: the worker threads are asked to stop and never waited for when blocked. True when
  // every thread has ended; once a thread has been left behind, every later call says so too,
  // until it has ended.
  bool DestroyWindow();

  // The stand-in for the system menu: minimise and close, then, below a separator, the About item
  // (command 16). Shown by a right click on the window and by Alt+Space.
  QMenu* SystemMenu() const { return m_systemMenu; }
  void OnSysCommand(UINT id);

  // Handlers of the combos and the language buttons.
  void OnSelchangeExpectedCount();
  void OnSelchangeFormatTimeout();
  void SetLanguage(int languageIndex);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT id) override;

  // Swallows Escape (key down and key up) for the window and all its controls.
  bool PreTranslateMessage(QObject* target, QEvent* event);
  bool eventFilter(QObject* target, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateSystemMenu();
  void ConnectHandlers();
  void OnClicked(int id, std::function<void()> handler);
  void SetUpDeviceList();
  void StartDeviceServices();
  void FillInstructionTable();
  void Retitle();
  void ShowRowStatus(discovery::DeviceRecord* record, int column);
  void ShowAboutBox();
  // The system menu's export: every row, its check mark and upgrade result, to a CSV file.
  void ExportDeviceTable();
  // The system menu's cameras window, modal.
  void OpenCamerasDialog();

  CReportCtrl* m_deviceList = nullptr;
  QMenu* m_systemMenu = nullptr;
  // A child of the window, which deletes it.
  config::COtherSetDlg* m_otherSetDlg = nullptr;
  QIcon m_icon;
  QString m_programDirectory;
  app::MainWindowSettings m_settings{*this};
  batch::LibraryCalls m_library;
  std::unique_ptr<config::CameraSettings> m_cameras;
  std::unique_ptr<app::MainWindowView> m_view;
  std::unique_ptr<ui::DeviceListView> m_deviceRows;
  std::unique_ptr<discovery::DeviceTable> m_deviceTable;
  std::unique_ptr<batch::RunController> m_runController;
  std::unique_ptr<operations::Operations> m_operations;
  // So that its threads are stopped before anything they borrow goes away.
  std::unique_ptr<batch::Engine> m_engine;
  // After the engine: its push threads use the engine and are stopped first.
  std::unique_ptr<config::PushRunner> m_pushRunner;

  // Read by the workers when they produce a text.
  std::atomic<int> m_languageIndex{0};
};
