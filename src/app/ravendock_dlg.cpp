#include "app/ravendock_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/main_window_controls.h"
#include "app/table_export.h"
#include "batch/callbacks.h"
#include "batch/engine.h"
#include "batch/messages.h"
#include "batch/run_controller.h"
#include "config/cameras/camera_settings.h"
#include "config/cameras/cameras_dlg.h"
#include "config/config_file.h"
#include "config/config_location.h"
#include "config/instruction_flags.h"
#include "config/pages/other_set_dlg.h"
#include "config/push/push_runner.h"
#include "discovery/device_record.h"
#include "discovery/device_table.h"
#include "operations/operations.h"
#include "platform/dialog_service.h"
#include "platform/win_types.h"
#include "preview/mul_play.h"
#include "preview/watch_video.h"
#include "sdk/sdk.h"
#include "text/text.h"
#include "ui/device_list_view.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

using namespace ids;

namespace {

constexpr char16_t kTitle[] = u"Ravendock_V2.0.1";
// String resource 101.
constexpr char16_t kAboutMenuText[] = u"about Ravendock(&A)...";

// The colours of the upgrade verdict in column 5.
constexpr COLORREF kUpgradeSucceededColor = RGB(0, 200, 0);
constexpr COLORREF kUpgradeFailedColor = RGB(255, 0, 0);

constexpr char16_t kExportMenuText[] = u"导出设备列表 / export device list(&E)...";
constexpr char16_t kExportFilter[] = u"CSV Files (*.csv)|*.csv||";
constexpr char16_t kExportFailed[] = u"无法写入文件 / cannot write the file:\n%1";

// System menu commands besides the About item.
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;

QWidget* CreateControl(const app::MainWindowControl& entry, QWidget* parent) {
  const QString caption = app::InitialCaption(entry);
  switch (entry.kind) {
    case app::ControlKind::GroupBox:
      return new QGroupBox(caption, parent);
    case app::ControlKind::PushButton: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      return button;
    }
    case app::ControlKind::CheckBox:
      return new QCheckBox(caption, parent);
    case app::ControlKind::RadioButton:
      return new QRadioButton(caption, parent);
    case app::ControlKind::Static:
      return new QLabel(caption, parent);
    case app::ControlKind::Edit:
      return new QLineEdit(caption, parent);
    case app::ControlKind::DropDownList:
      return new QComboBox(parent);
    case app::ControlKind::ListView:
      return new CReportCtrl(parent);
  }
  return nullptr;
}

}  // namespace

CRavendockDlg::CRavendockDlg(const QString& programDirectory, batch::LibraryCalls library,
                             QWidget* parent)
    : Dialog(IDD_RAVENDOCK_DIALOG, parent),
      m_icon(app::AppIcon()),
      m_programDirectory(programDirectory),
      m_library(std::move(library)),
      m_cameras(std::make_unique<config::CameraSettings>()) {
  setWindowTitle(QString::fromUtf16(kTitle));
  setFont(QFont(QStringLiteral("Arial"), 9));
  // Caption, system menu and the minimise box; no maximise, no resizing (a modal frame).
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  CreateControls();
  CreateSystemMenu();
  m_view = std::make_unique<app::MainWindowView>(*this, *m_deviceList);
  m_deviceRows = std::make_unique<ui::DeviceListView>(*m_deviceList);
  m_deviceTable = std::make_unique<discovery::DeviceTable>(*m_view, *m_deviceRows, *this);
  m_runController = std::make_unique<batch::RunController>(*m_view, *this);
  ConnectHandlers();
  qApp->installEventFilter(this);
}

CRavendockDlg::~CRavendockDlg() {
  qApp->removeEventFilter(this);
}

void CRavendockDlg::CreateControls() {
  setFixedSize(DialogUnitsToPixels(0, 0, app::kMainDialogWidth, app::kMainDialogHeight).size());
  // Group boxes first, so that the controls they frame are stacked above them.
  for (const app::MainWindowControl& entry : app::kMainWindowControls) {
    QWidget* control = CreateControl(entry, this);
    SetControlId(control, entry.id);
    control->setGeometry(DialogUnitsToPixels(entry.x, entry.y, entry.width, entry.height));
    if (entry.kind == app::ControlKind::DropDownList)
      control->setFixedHeight(DialogUnitsToPixels(0, 0, 0, 13).height());
    if (entry.kind == app::ControlKind::GroupBox) control->lower();
    control->setVisible(entry.visible);
    if (entry.id == IDC_DEVICE_LIST) m_deviceList = static_cast<CReportCtrl*>(control);
  }
}

void CRavendockDlg::CreateSystemMenu() {
  m_systemMenu = new QMenu(this);
  auto addCommand = [this](const QString& text, UINT id) {
    QAction* action = m_systemMenu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnSysCommand(id); });
    return action;
  };
  addCommand(QStringLiteral("最小化(&N)"), SC_MINIMIZE);
  addCommand(QStringLiteral("关闭(&C)"), SC_CLOSE);
  // The language radios are hidden; the menu reaches them, and marks the language in use.
  m_systemMenu->addSeparator();
  QAction* chinese = addCommand(QStringLiteral("中文"), IDM_LANGUAGE_CHINESE);
  QAction* english = addCommand(QStringLiteral("English"), IDM_LANGUAGE_ENGLISH);
  chinese->setCheckable(true);
  english->setCheckable(true);
  m_systemMenu->addSeparator();
  addCommand(QString::fromUtf16(kExportMenuText), IDM_EXPORT_TABLE);
  QAction* cameras = addCommand(texts::Text(texts::kTextCamerasMenu, m_languageIndex), IDM_CAMERAS);
  connect(m_systemMenu, &QMenu::aboutToShow, this, [this, chinese, english, cameras] {
    chinese->setChecked(m_languageIndex == texts::kLanguageChinese);
    english->setChecked(m_languageIndex == texts::kLanguageEnglish);
    cameras->setText(texts::Text(texts::kTextCamerasMenu, m_languageIndex));
  });
  // The About item below a separator, when the string resource has a text.
  const QString about = QString::fromUtf16(kAboutMenuText);
  if (!about.isEmpty()) {
    m_systemMenu->addSeparator();
    addCommand(about, IDM_ABOUTBOX);
  }
}

BOOL CRavendockDlg::OnInitDialog() {
  // The controls were bound when they were created. Icon for the title bar and the taskbar.
  setWindowIcon(m_icon);
  // config.dat beside the executable while that folder takes files, else in the user's folder;
  // when neither does, the operator hears it once instead of losing every change silently.
  if (m_programDirectory.isEmpty()) m_programDirectory = QCoreApplication::applicationDirPath();
  const config::ConfigLocation configLocation = config::ChooseConfigDirectory(m_programDirectory);
  config::SetConfigDirectory(configLocation.directory);
  m_cameras->Load(configLocation.directory);
  if (!configLocation.writable) {
    platform::AfxMessageBox(this, config::UnwritableConfigMessage(m_programDirectory));
  } else if (!configLocation.movedFrom.isEmpty()) {
    platform::AfxMessageBox(this, config::MovedConfigMessage(configLocation));
  }
  // The instructions plug into the engine, so the engine comes first.
  StartDeviceServices();
  FillInstructionTable();

  SetUpDeviceList();
  m_deviceList->SetSortable(true);
  SetDlgItemText(IDC_TOTAL, QStringLiteral("0"));
  SetDlgItemText(IDC_CHECKED, QStringLiteral("0"));
  // Before config.dat is read, so that the pages first show their own initial state.
  m_otherSetDlg = new config::COtherSetDlg(this);
  m_otherSetDlg->OnInitDialog();
  m_otherSetDlg->hide();

  CheckDlgButton(IDC_LANGUAGE_CHINESE, true);
  m_settings.Load(*m_otherSetDlg);

  // The controls keep their template captions until the language is changed.
  m_languageIndex = texts::kLanguageChinese;
  m_engine->Start();
  return TRUE;
}

void CRavendockDlg::FillInstructionTable() {
  m_runController->SetOperation(batch::kRowSearch, [this] { m_deviceTable->StartSearch(); });
  m_operations = std::make_unique<operations::Operations>(operations::OperationContext{
      *this, *m_deviceList, *m_deviceTable, *m_engine, *m_runController,
      [this] { return m_settings.FormatTimeoutMs(); }});
  m_pushRunner = std::make_unique<config::PushRunner>(*this, *m_deviceList, *m_deviceTable,
                                                      *m_engine, *m_runController);
  m_pushRunner->Register();
  // The hidden buttons: each runs its one instruction.
  for (const app::MainWindowControl& control : app::kMainWindowControls)
    if (control.kind == app::ControlKind::PushButton && control.instructionRow)
      OnClicked(control.id,
                [this, row = *control.instructionRow] { m_runController->RunSingle(row); });
  OnClicked(IDC_START_ADDRESS, [this] { m_operations->OpenStartAddressDialog(); });
  OnClicked(IDC_BROWSE, [this] { m_operations->BrowseFirmware(); });
}

// The libraries, the login event and the locks, and the two callbacks; the worker threads start
// at the end of the initialisation, once every control and the settings are ready.
void CRavendockDlg::StartDeviceServices() {
  IP_NET_DVR_Init();
  IP_KMR_Init();
  batch::WindowLink link{
      [this](UINT message, WPARAM wParam, LPARAM lParam) { PostMessage(message, wParam, lParam); },
      [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessage(message, wParam, lParam);
      }};
  m_engine = std::make_unique<batch::Engine>(std::move(link), m_languageIndex, m_library);
  batch::RegisterCallbacks(*m_engine);
}

bool CRavendockDlg::DestroyWindow() {
  // The push threads first: they use the engine.
  const bool pushEnded = !m_pushRunner || m_pushRunner->Stop(batch::kCloseWaitMs);
  return (!m_engine || m_engine->Stop()) && pushEnded;
}

void CRavendockDlg::OnClicked(int id, std::function<void()> handler) {
  auto* button = DlgItem<QAbstractButton>(id);
  if (button == nullptr) return;
  connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
}

void CRavendockDlg::ConnectHandlers() {
  m_deviceRows->Attach(*m_deviceTable);
  // The notification result is always 1: a double-click plays a device, it never checks one.
  m_deviceList->onDoubleClick = [this](int row, const QPoint&) {
    PlayDevice(row);
    return 1;
  };

  OnClicked(IDC_SEARCH, [this] { m_deviceTable->StartSearch(); });
  OnClicked(IDC_PREVIEW_CHECKED, [this] { PreviewCheckedDevices(); });
  OnClicked(IDC_SELECT_ALL, [this] { m_deviceTable->CheckAll(); });
  OnClicked(IDC_INVERT, [this] { m_deviceTable->Invert(); });
  OnClicked(IDC_INVERT_HIDDEN, [this] { m_deviceTable->Invert(); });
  OnClicked(IDC_CHECK_ALL_BY_STATE,
            [this] { m_deviceTable->SetAllChecks(IsDlgButtonChecked(IDC_CHECK_ALL_BY_STATE)); });
  for (const app::MainWindowControl& control : app::kMainWindowControls)
    if (control.flag != nullptr)
      OnClicked(control.id, [this, id = control.id] { m_settings.OnInstructionCheck(id); });
  OnClicked(IDC_DO_ALLNET_ON, [this] { m_settings.OnAllNetworkCheck(IDC_DO_ALLNET_ON); });
  OnClicked(IDC_DO_ALLNET_OFF, [this] { m_settings.OnAllNetworkCheck(IDC_DO_ALLNET_OFF); });
  OnClicked(IDC_LANGUAGE_CHINESE, [this] { SetLanguage(texts::kLanguageChinese); });
  OnClicked(IDC_LANGUAGE_ENGLISH, [this] { SetLanguage(texts::kLanguageEnglish); });
  OnClicked(IDC_RUN_BATCH, [this] { m_runController->OnRunBatch(); });
  OnClicked(IDC_OTHER_SETTINGS, [this] {
    if (m_otherSetDlg != nullptr) m_otherSetDlg->ShowWindow();
  });

  m_settings.FillCombos();
  connect(DlgItem<QComboBox>(IDC_EXPECTED_COUNT), &QComboBox::activated, this,
          [this] { OnSelchangeExpectedCount(); });
}

void CRavendockDlg::SetUpDeviceList() {
  // Report view with grid lines, check boxes and full-row selection (the control sets the rest).
  m_deviceList->setShowGrid(true);
  for (int column = 0; column < discovery::kColumnCount; ++column)
    m_deviceList->InsertColumn(column, app::InitialHeading(column), ui::kAlignCenter,
                               app::kDeviceColumns[static_cast<std::size_t>(column)].width);
}

void CRavendockDlg::OnSelchangeExpectedCount() {
  m_settings.OnSelchangeExpectedCount();
}

void CRavendockDlg::OnSelchangeFormatTimeout() {
  m_settings.OnSelchangeFormatTimeout();
}

void CRavendockDlg::SetLanguage(int languageIndex) {
  if (languageIndex == m_languageIndex) return;
  m_languageIndex = languageIndex;
  Retitle();
}

void CRavendockDlg::Retitle() {
  const int language = m_languageIndex;
  if (!texts::IsLanguageIndex(language)) return;
  for (const app::MainWindowControl& control : app::kMainWindowControls)
    if (control.text) SetDlgItemText(control.id, texts::Text(*control.text, language));
  for (int column = 0; column < discovery::kColumnCount; ++column)
    if (const auto text = app::kDeviceColumns[static_cast<std::size_t>(column)].text)
      m_deviceList->SetHeaderText(column, texts::Text(*text, language));
}

LRESULT CRavendockDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case discovery::kMsgRowStatus:
      ShowRowStatus(reinterpret_cast<discovery::DeviceRecord*>(wParam), static_cast<int>(lParam));
      return 0;
    case batch::kMsgUpgradeFinished:
      m_runController->OnUpgradeFinished();
      return 0;
    case batch::kMsgRebootFinished:
      m_runController->OnRebootFinished(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case batch::kMsgRestoreFinished:
      m_runController->OnRestoreFinished(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case batch::kMsgSetTimeFinished:
      m_runController->OnTimeFinished(static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case batch::kMsgFormatFinished:
      m_runController->OnFormatFinished();
      return 0;
    case batch::kMsgModifyIpVerified:
      m_runController->OnModifyIpVerified();
      return 0;
    case batch::kMsgPushThreadEnded:
      m_runController->OnPushThreadEnded();
      return 0;
    default:
      return 0;
  }
}

void CRavendockDlg::ShowRowStatus(discovery::DeviceRecord* record, int column) {
  if (record == nullptr || column < discovery::kColumnVersionBefore ||
      column > discovery::kColumnStatus)
    return;
  // Only a record still shown in the table is read: a worker's late message may name one the
  // table has let go of.
  if (!m_deviceTable->Lists(record)) return;
  const int row = record->rowIndex;
  if (m_deviceTable->RecordAt(row) != record) return;
  const QString text = record->StatusText();
  m_deviceList->SetItemText(row, column, text);
  // The verdict's text follows its result: the colour of the version after the upgrade comes
  // from the result, whatever language the text was written in.
  const discovery::UpgradeResult result = record->upgradeResult;
  if (result == discovery::kUpgradeSucceeded) {
    m_deviceList->SetItemTextColor(row, discovery::kColumnVersionAfter, kUpgradeSucceededColor);
  } else if (result == discovery::kUpgradeKeptOldVersion) {
    m_deviceList->SetItemTextColor(row, discovery::kColumnVersionAfter, kUpgradeFailedColor);
  }
}

void CRavendockDlg::OnTimer(UINT id) {
  switch (id) {
    case discovery::kTimerSearch:
      m_deviceTable->OnSearchTimer();
      break;
    case discovery::kTimerRefound:
      m_deviceTable->OnRefoundTimer();
      break;
    default:
      if (m_operations) m_operations->OnTimer(id);
      break;
  }
}

bool CRavendockDlg::IsBatchRunning() const {
  return m_runController->IsRunning();
}

void CRavendockDlg::OnSearchStarting() {
  m_cameras->HandPendingToLibrary();
}

void CRavendockDlg::DetachRecords() {
  m_engine->DetachAllRecords();
}

bool CRavendockDlg::RetiredRecordsUnreachable() const {
  return !batch::TableBorrow::AnyOutstanding();
}

// Outside a run (the hidden search button) a search only gives the button back.
void CRavendockDlg::OnSearchComplete() {
  if (m_runController->IsRunning()) {
    m_runController->OnSearchComplete();
  } else {
    EnableDlgItem(IDC_SEARCH, true);
  }
}

void CRavendockDlg::OnSearchAbandoned() {
  if (m_runController->IsRunning()) {
    m_runController->OnSearchAbandoned();
  } else {
    EnableDlgItem(IDC_SEARCH, true);
  }
}

void CRavendockDlg::VisitRestorePending(
    const std::function<bool(discovery::DeviceRecord&)>& visit) {
  m_engine->VisitPending(batch::Engine::Pending::kRestore, visit);
}

int CRavendockDlg::CheckedCount() const {
  return m_deviceTable->CheckedCount();
}

std::vector<discovery::DeviceRecord*> CRavendockDlg::CheckedRecords() const {
  return m_deviceTable->CheckedRecords();
}

batch::UpgradeCounts CRavendockDlg::CountUpgradeResults() {
  return m_engine->CountUpgradeResults();
}

bool CRavendockDlg::AllPushRecordsDone() {
  return m_engine->AllPushesDone();
}

void CRavendockDlg::EmptyPushList() {
  m_engine->EmptyPushList();
}

void CRavendockDlg::PreviewCheckedDevices() {
  if (!m_deviceTable->CanOpenPreview()) return;
  std::vector<discovery::DeviceRecord*> records = m_deviceTable->CheckedRecords();
  if (records.size() > static_cast<std::size_t>(preview::kMaxPanes)) {
    records.resize(preview::kMaxPanes);
  }
  preview::CMULPLay grid(records, this);
  m_deviceTable->SetPreviewOpen(true);
  grid.exec();
  m_deviceTable->SetPreviewOpen(false);
}

void CRavendockDlg::PlayDevice(int row) {
  discovery::DeviceRecord* record = m_deviceTable->RecordAt(row);
  if (record == nullptr || !m_deviceTable->CanOpenPreview()) return;
  preview::WatchVideo single(*record, *m_engine, !m_runController->IsRunning(), this);
  single.OnInitDialog();
  m_deviceTable->SetPreviewOpen(true);
  single.exec();
  m_deviceTable->SetPreviewOpen(false);
}

void CRavendockDlg::closeEvent(QCloseEvent* event) {
  DestroyWindow();
  Dialog::closeEvent(event);
}

void CRavendockDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    ShowAboutBox();
  } else if (id == IDM_LANGUAGE_CHINESE || id == IDM_LANGUAGE_ENGLISH) {
    // Exactly what a click on the hidden radio does.
    DlgItem<QRadioButton>(id == IDM_LANGUAGE_CHINESE ? IDC_LANGUAGE_CHINESE : IDC_LANGUAGE_ENGLISH)
        ->click();
  } else if (id == IDM_EXPORT_TABLE) {
    ExportDeviceTable();
  } else if (id == IDM_CAMERAS) {
    OpenCamerasDialog();
  } else if (id == SC_MINIMIZE) {
    showMinimized();
  } else if (id == SC_CLOSE) {
    close();
  }
}

void CRavendockDlg::ExportDeviceTable() {
  const QString proposed =
      QStringLiteral("ravendock-%1.csv")
          .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
  const QString path =
      platform::Dialogs().GetSaveFileName(this, proposed, QString::fromUtf16(kExportFilter));
  if (path.isEmpty()) return;
  QStringList titles;
  for (int column = 0; column < m_deviceList->columnCount(); ++column) {
    const QTableWidgetItem* header = m_deviceList->horizontalHeaderItem(column);
    titles.push_back(header != nullptr ? header->text() : QString());
  }
  const QByteArray csv =
      app::DeviceTableCsv(titles, app::ExportRows(*m_deviceList, *m_deviceTable), m_languageIndex);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size() || !file.commit()) {
    platform::AfxMessageBox(this, QString::fromUtf16(kExportFailed).arg(path));
  }
}

void CRavendockDlg::OpenCamerasDialog() {
  config::CCamerasDlg dialog(
      *m_cameras, m_languageIndex, [this] { return m_runController->IsRunning(); }, this);
  dialog.setWindowIcon(m_icon);
  dialog.OnInitDialog();
  dialog.exec();
}

void CRavendockDlg::ShowAboutBox() {
  app::CAboutDlg about(this);
  about.setWindowIcon(m_icon);
  about.exec();
}

bool CRavendockDlg::PreTranslateMessage(QObject* target, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(target);
  if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Escape) return true;
  // Alt+Space opens the system menu, as on the window's caption.
  if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Space &&
      key->modifiers() == Qt::AltModifier) {
    m_systemMenu->popup(mapToGlobal(QPoint(0, 0)));
    return true;
  }
  return false;
}

bool CRavendockDlg::eventFilter(QObject* target, QEvent* event) {
  return PreTranslateMessage(target, event) || Dialog::eventFilter(target, event);
}

void CRavendockDlg::contextMenuEvent(QContextMenuEvent* event) {
  m_systemMenu->popup(event->globalPos());
}
