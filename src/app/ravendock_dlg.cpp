#include "app/ravendock_dlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/main_dialog_layout.h"
#include "sdk/sdk.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

using namespace ids;

namespace {

constexpr char16_t kTitle[] = u"Ravendock_V2.0.1";
// String resource 101.
constexpr char16_t kAboutMenuText[] = u"about Ravendock(&A)...";
constexpr int kExpectedCountItems = 250;
constexpr int kMsPerMinute = 60000;

// System menu commands besides the About item.
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_CLOSE = 0xF060;

QWidget* CreateControl(const app::ControlSpec& spec, QWidget* parent) {
  const QString caption = spec.caption != nullptr ? QString::fromUtf16(spec.caption) : QString();
  switch (spec.kind) {
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

CRavendockDlg::CRavendockDlg(QWidget* parent) : Dialog(IDD_RAVENDOCK_DIALOG, parent), m_icon(app::AppIcon()) {
  setWindowTitle(QString::fromUtf16(kTitle));
  setFont(QFont(QStringLiteral("Arial"), 9));
  // Caption, system menu and the minimise box; no maximise, no resizing (a modal frame).
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  CreateControls();
  CreateSystemMenu();
  qApp->installEventFilter(this);
}

CRavendockDlg::~CRavendockDlg() { qApp->removeEventFilter(this); }

void CRavendockDlg::CreateControls() {
  setFixedSize(DialogUnitsToPixels(0, 0, app::kMainDialogWidth, app::kMainDialogHeight).size());
  // Group boxes first, so that the controls they frame are stacked above them.
  for (const app::ControlSpec& spec : app::kMainDialogControls) {
    QWidget* control = CreateControl(spec, this);
    SetControlId(control, spec.id);
    control->setGeometry(DialogUnitsToPixels(spec.x, spec.y, spec.width, spec.height));
    if (spec.kind == app::ControlKind::DropDownList)
      control->setFixedHeight(DialogUnitsToPixels(0, 0, 0, 13).height());
    if (spec.kind == app::ControlKind::GroupBox) control->lower();
    control->setVisible(spec.visible);
    if (spec.id == IDC_DEVICE_LIST) m_deviceList = static_cast<CReportCtrl*>(control);
  }
}

void CRavendockDlg::CreateSystemMenu() {
  m_systemMenu = new QMenu(this);
  auto addCommand = [this](const QString& text, UINT id) {
    QAction* action = m_systemMenu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { OnSysCommand(id); });
  };
  addCommand(QStringLiteral("最小化(&N)"), SC_MINIMIZE);
  addCommand(QStringLiteral("关闭(&C)"), SC_CLOSE);
  // OnInitDialog step 2: the About item below a separator, when the string resource has a text.
  const QString about = QString::fromUtf16(kAboutMenuText);
  if (!about.isEmpty()) {
    m_systemMenu->addSeparator();
    addCommand(about, IDM_ABOUTBOX);
  }
}

BOOL CRavendockDlg::OnInitDialog() {
  // The controls were bound when they were created. Icon for the title bar and the taskbar.
  setWindowIcon(m_icon);

  IP_NET_DVR_Init();
  IP_KMR_Init();

  SetUpDeviceList();
  m_deviceList->SetSortable(true);
  SetDlgItemText(IDC_TOTAL, QStringLiteral("0"));
  SetDlgItemText(IDC_CHECKED, QStringLiteral("0"));

  FillExpectedCountCombo();
  FillFormatTimeoutCombo();
  CheckDlgButton(IDC_LANGUAGE_CHINESE, true);

  m_languageIndex = 0;
  return TRUE;
}

void CRavendockDlg::SetUpDeviceList() {
  int column = 0;
  for (const app::ColumnSpec& spec : app::kDeviceColumns)
    m_deviceList->InsertColumn(column++, QString::fromUtf16(spec.heading), CReportCtrl::kFormatCenter, spec.width);
}

void CRavendockDlg::FillExpectedCountCombo() {
  auto* combo = DlgItem<QComboBox>(IDC_EXPECTED_COUNT);
  for (int count = 1; count <= kExpectedCountItems; ++count) combo->addItem(QString::asprintf("%d", count));
}

void CRavendockDlg::FillFormatTimeoutCombo() {
  auto* combo = DlgItem<QComboBox>(IDC_FORMAT_TIMEOUT);
  for (const char16_t* item : app::kFormatTimeoutItems) combo->addItem(QString::fromUtf16(item));
  connect(combo, &QComboBox::activated, this, [this] { OnSelchangeFormatTimeout(); });
}

void CRavendockDlg::OnSelchangeFormatTimeout() {
  const QString text = GetDlgItemText(IDC_FORMAT_TIMEOUT).left(64);
  m_formatTimeoutMs = text.toInt() * kMsPerMinute;
}

void CRavendockDlg::OnSysCommand(UINT id) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    ShowAboutBox();
  } else if (id == SC_MINIMIZE) {
    showMinimized();
  } else if (id == SC_CLOSE) {
    close();
  }
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

void CRavendockDlg::contextMenuEvent(QContextMenuEvent* event) { m_systemMenu->popup(event->globalPos()); }

void CRavendockDlg::closeEvent(QCloseEvent* event) { Dialog::closeEvent(event); }
