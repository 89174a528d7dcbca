#include "config/cameras/cameras_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <tuple>

#include "platform/dialog_service.h"
#include "sdk/sdk.h"
#include "text/text.h"

namespace config {
namespace {

using namespace texts;

constexpr int kDialogWidth = 280;
constexpr int kDialogHeight = 358;
constexpr int kGroupLeft = 7;
constexpr int kGroupWidth = 266;
constexpr int kInnerLeft = 15;
constexpr int kSourceWidth = 250;
// The second radio of a pair, and the field right of a label.
constexpr int kSecondColumn = 140;
constexpr int kRowHeight = 14;

struct Group {
  int id;
  TextId caption;
  int y;
  int height;
};
constexpr Group kGroups[] = {
    {IDC_CAMERAS_GROUP_KIND, kTextCamerasKind, 7, 44},
    {IDC_CAMERAS_GROUP_NETWORK, kTextCamerasNetwork, 55, 44},
    {IDC_CAMERAS_GROUP_SEARCH, kTextCamerasSearch, 103, 46},
    {IDC_CAMERAS_GROUP_CREDENTIALS, kTextCamerasCredentials, 153, 112},
    {IDC_CAMERAS_GROUP_RESTORE, kTextCamerasRestore, 269, 44},
};

// Each option's controls, and the line under them that says what fixes it.
struct OptionControls {
  CameraOption option;
  int sourceId;
  int sourceY;
  std::array<int, 3> controls;  // 0 where there are fewer
};
constexpr OptionControls kOptionControls[] = {
    {CameraOption::kBackend,
     IDC_CAMERAS_KIND_SOURCE,
     32,
     {IDC_CAMERAS_SIMULATOR, IDC_CAMERAS_ONVIF, 0}},
    {CameraOption::kScope,
     IDC_CAMERAS_NETWORK_SOURCE,
     80,
     {IDC_CAMERAS_LOOPBACK, IDC_CAMERAS_LAN, 0}},
    {CameraOption::kProbe, IDC_CAMERAS_PROBE_SOURCE, 131, {IDC_CAMERAS_PROBE, 0, 0}},
    {CameraOption::kCredentials,
     IDC_CAMERAS_CREDENTIALS_SOURCE,
     245,
     {IDC_CAMERAS_CREDENTIALS, IDC_CAMERAS_ADD, IDC_CAMERAS_REMOVE}},
    {CameraOption::kRestore,
     IDC_CAMERAS_RESTORE_SOURCE,
     294,
     {IDC_CAMERAS_HARD_RESTORE, IDC_CAMERAS_SOFT_RESTORE, 0}},
};

}  // namespace

CCamerasDlg::CCamerasDlg(CameraSettings& settings, int languageIndex,
                         std::function<bool()> runUnderWay, QWidget* parent)
    : Dialog(IDD_CAMERAS, parent),
      m_settings(settings),
      m_language(languageIndex),
      m_runUnderWay(std::move(runUnderWay)) {
  setWindowTitle(Text(kTextCamerasTitle));
  CreateControls();
}

CCamerasDlg::~CCamerasDlg() {
  disconnect(m_focusWatch);
}

QString CCamerasDlg::Text(TextId id) const {
  return texts::Text(id, m_language);
}

QTableWidget* CCamerasDlg::Table() const {
  return DlgItem<QTableWidget>(IDC_CAMERAS_CREDENTIALS);
}

void CCamerasDlg::AddStatic(int id, TextId text, QRect units) {
  auto* label = new QLabel(Text(text), this);
  SetControlId(label, id);
  label->setGeometry(DialogUnitsToPixels(units.x(), units.y(), units.width(), units.height()));
}

void CCamerasDlg::AddRadioPair(int first, TextId firstText, int second, TextId secondText, int y) {
  // The radios are siblings of every other pair: each pair excludes only itself.
  auto* group = new QButtonGroup(this);
  for (const auto& [id, text, x] :
       {std::tuple{first, firstText, kInnerLeft}, std::tuple{second, secondText, kSecondColumn}}) {
    auto* radio = new QRadioButton(Text(text), this);
    SetControlId(radio, id);
    radio->setGeometry(DialogUnitsToPixels(x, y, kDialogWidth - kInnerLeft - x, 10));
    group->addButton(radio);
  }
}

void CCamerasDlg::CreateControls() {
  setFixedSize(DialogUnitsToPixels(0, 0, kDialogWidth, kDialogHeight).size());
  for (const Group& group : kGroups) {
    auto* box = new QGroupBox(Text(group.caption), this);
    SetControlId(box, group.id);
    box->setGeometry(DialogUnitsToPixels(kGroupLeft, group.y, kGroupWidth, group.height));
    box->lower();
  }
  AddRadioPair(IDC_CAMERAS_SIMULATOR, kTextCamerasSimulator, IDC_CAMERAS_ONVIF, kTextCamerasOnvif,
               20);
  AddRadioPair(IDC_CAMERAS_LOOPBACK, kTextCamerasLoopback, IDC_CAMERAS_LAN, kTextCamerasLan, 68);
  AddRadioPair(IDC_CAMERAS_HARD_RESTORE, kTextCamerasHardRestore, IDC_CAMERAS_SOFT_RESTORE,
               kTextCamerasSoftRestore, 282);

  AddStatic(IDC_CAMERAS_PROBE_LABEL, kTextCamerasProbe, {kInnerLeft, 118, 52, 10});
  auto* probe = new QLineEdit(this);
  SetControlId(probe, IDC_CAMERAS_PROBE);
  probe->setPlaceholderText(Text(kTextCamerasProbeHint));
  probe->setGeometry(DialogUnitsToPixels(70, 116, 195, 13));

  auto* table = new QTableWidget(0, 2, this);
  SetControlId(table, IDC_CAMERAS_CREDENTIALS);
  table->setHorizontalHeaderLabels({Text(kTextCamerasUser), Text(kTextCamerasPassword)});
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->verticalHeader()->setVisible(false);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setGeometry(DialogUnitsToPixels(kInnerLeft, 166, 196, 76));
  // A click into a row's field makes it the row "删除" removes.
  m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    QTableWidget* credentials = Table();
    for (int row = 0; now != nullptr && row < credentials->rowCount(); ++row)
      for (int column : {kCredentialUserColumn, kCredentialPasswordColumn})
        if (credentials->cellWidget(row, column) == now) credentials->setCurrentCell(row, column);
  });
  for (const auto& [id, text, y] : {std::tuple{IDC_CAMERAS_ADD, kTextCamerasAdd, 166},
                                    std::tuple{IDC_CAMERAS_REMOVE, kTextCamerasRemove, 184}}) {
    auto* button = new QPushButton(Text(text), this);
    SetControlId(button, id);
    button->setAutoDefault(false);
    button->setGeometry(DialogUnitsToPixels(217, y, 48, kRowHeight));
  }
  connect(DlgItem<QPushButton>(IDC_CAMERAS_ADD), &QPushButton::clicked, this,
          [this] { OnAddCredential(); });
  connect(DlgItem<QPushButton>(IDC_CAMERAS_REMOVE), &QPushButton::clicked, this,
          [this] { OnRemoveCredential(); });

  for (const OptionControls& entry : kOptionControls) {
    auto* source = new QLabel(this);
    SetControlId(source, entry.sourceId);
    // Two lines: a long path or variable name wraps; the tool tip holds the whole text.
    source->setWordWrap(true);
    source->setGeometry(DialogUnitsToPixels(kInnerLeft, entry.sourceY, kSourceWidth, 16));
    source->setVisible(false);
  }
  auto* status = new QLabel(this);
  SetControlId(status, IDC_CAMERAS_STATUS);
  status->setWordWrap(true);
  status->setGeometry(DialogUnitsToPixels(kGroupLeft, 317, kGroupWidth, 18));

  auto* ok = new QPushButton(Text(kTextCamerasOk), this);
  SetControlId(ok, platform::IDOK);
  ok->setGeometry(DialogUnitsToPixels(162, 338, 50, kRowHeight));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  auto* cancel = new QPushButton(Text(kTextCamerasCancel), this);
  SetControlId(cancel, platform::IDCANCEL);
  cancel->setAutoDefault(false);
  cancel->setGeometry(DialogUnitsToPixels(223, 338, 50, kRowHeight));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

BOOL CCamerasDlg::OnInitDialog() {
  ShowChoice(m_settings.Saved());
  for (const OptionControls& entry : kOptionControls) ShowInForce(entry.option, entry.sourceId);
  ShowRunState();
  SetTimer(kTimerCamerasRunState, kCamerasRunStatePeriodMs);
  return TRUE;
}

void CCamerasDlg::ShowChoice(const CameraChoice& choice) {
  CheckDlgButton(choice.onvif ? IDC_CAMERAS_ONVIF : IDC_CAMERAS_SIMULATOR, true);
  CheckDlgButton(choice.lan ? IDC_CAMERAS_LAN : IDC_CAMERAS_LOOPBACK, true);
  SetDlgItemText(IDC_CAMERAS_PROBE, choice.probe);
  for (const CameraCredential& credential : choice.credentials) AddCredentialRow(credential, true);
  CheckDlgButton(choice.softRestore ? IDC_CAMERAS_SOFT_RESTORE : IDC_CAMERAS_HARD_RESTORE, true);
}

void CCamerasDlg::ShowInForce(CameraOption option, int sourceId) {
  const OptionInForce inForce = m_settings.InForce(option);
  if (!inForce.Outranks()) return;
  m_outranked[static_cast<std::size_t>(option)] = true;
  const QString& value = inForce.text;
  switch (option) {
    case CameraOption::kBackend:
      CheckDlgButton(value == QStringLiteral("onvif") ? IDC_CAMERAS_ONVIF : IDC_CAMERAS_SIMULATOR,
                     true);
      break;
    case CameraOption::kScope:
      CheckDlgButton(value == QStringLiteral("lan") ? IDC_CAMERAS_LAN : IDC_CAMERAS_LOOPBACK, true);
      break;
    case CameraOption::kProbe:
      SetDlgItemText(IDC_CAMERAS_PROBE, value == QStringLiteral("multicast") ? QString() : value);
      break;
    case CameraOption::kCredentials:
      // The rows are the window's own; those in force are in the file named below.
      Table()->setRowCount(0);
      m_savedPasswords.clear();
      break;
    case CameraOption::kRestore:
      CheckDlgButton(
          value == QStringLiteral("soft") ? IDC_CAMERAS_SOFT_RESTORE : IDC_CAMERAS_HARD_RESTORE,
          true);
      break;
  }
  for (const OptionControls& entry : kOptionControls) {
    if (entry.option != option) continue;
    for (int id : entry.controls)
      if (id != 0) EnableDlgItem(id, false);
  }
  QString text;
  if (inForce.source == NETSDK_OPTION_FILE) {
    text = Text(kTextCamerasFixedByFile).arg(value);
  } else if (inForce.source == NETSDK_OPTION_ENVIRONMENT) {
    text = Text(kTextCamerasFixedByEnvironment)
               .arg(QString::fromLatin1(NameOf(option).environment), value);
  } else {
    text = Text(kTextCamerasFixedByCall).arg(value);
  }
  SetDlgItemText(sourceId, text);
  GetDlgItem(sourceId)->setToolTip(text);
  GetDlgItem(sourceId)->setVisible(true);
}

void CCamerasDlg::ShowRunState() {
  const bool running = m_runUnderWay();
  EnableDlgItem(platform::IDOK, !running);
  SetDlgItemText(IDC_CAMERAS_STATUS,
                 Text(running ? kTextCamerasRunUnderWay : kTextCamerasNextSearch));
}

void CCamerasDlg::OnTimer(UINT id) {
  if (id == kTimerCamerasRunState) ShowRunState();
}

void CCamerasDlg::AddCredentialRow(const CameraCredential& credential, bool saved) {
  QTableWidget* table = Table();
  const int row = table->rowCount();
  table->insertRow(row);
  auto* user = new QLineEdit(credential.user);
  // A character takes at least a byte: the fields stop at the byte limits, checked at "确定".
  user->setMaxLength(kMaxCameraUserBytes);
  user->setFrame(false);
  auto* password = new QLineEdit;
  password->setEchoMode(QLineEdit::Password);
  password->setMaxLength(kMaxCameraPasswordBytes);
  password->setFrame(false);
  if (saved) password->setPlaceholderText(Text(kTextCamerasSavedPassword));
  table->setCellWidget(row, kCredentialUserColumn, user);
  table->setCellWidget(row, kCredentialPasswordColumn, password);
  m_savedPasswords.push_back(saved ? std::optional<QString>(credential.password) : std::nullopt);
  EnableDlgItem(IDC_CAMERAS_ADD, table->rowCount() < kMaxCameraCredentials);
}

void CCamerasDlg::OnAddCredential() {
  if (CredentialRows() >= kMaxCameraCredentials) return;
  AddCredentialRow({}, false);
  CredentialEdit(CredentialRows() - 1, kCredentialUserColumn)->setFocus();
}

void CCamerasDlg::OnRemoveCredential() {
  QTableWidget* table = Table();
  int row = table->currentRow();
  if (row < 0 || row >= table->rowCount()) row = table->rowCount() - 1;
  if (row < 0) return;
  table->removeRow(row);
  m_savedPasswords.erase(m_savedPasswords.begin() + row);
  EnableDlgItem(IDC_CAMERAS_ADD, true);
}

int CCamerasDlg::CredentialRows() const {
  return Table()->rowCount();
}

QLineEdit* CCamerasDlg::CredentialEdit(int row, int column) const {
  return qobject_cast<QLineEdit*>(Table()->cellWidget(row, column));
}

std::optional<CameraChoice> CCamerasDlg::ShownChoice() {
  CameraChoice choice = m_settings.Saved();
  auto shown = [this](CameraOption option) {
    return !m_outranked[static_cast<std::size_t>(option)];
  };
  if (shown(CameraOption::kBackend)) choice.onvif = IsDlgButtonChecked(IDC_CAMERAS_ONVIF);
  if (shown(CameraOption::kScope)) choice.lan = IsDlgButtonChecked(IDC_CAMERAS_LAN);
  if (shown(CameraOption::kRestore))
    choice.softRestore = IsDlgButtonChecked(IDC_CAMERAS_SOFT_RESTORE);
  if (shown(CameraOption::kProbe)) {
    choice.probe = GetDlgItemText(IDC_CAMERAS_PROBE).trimmed();
    if (!ValidProbe(choice.probe)) {
      platform::AfxMessageBox(this, Text(kTextCamerasBadProbe).arg(choice.probe));
      return std::nullopt;
    }
  }
  if (shown(CameraOption::kCredentials)) {
    choice.credentials.clear();
    for (int row = 0; row < CredentialRows(); ++row) {
      const QString typed = CredentialEdit(row, kCredentialPasswordColumn)->text();
      const std::optional<QString>& saved = m_savedPasswords[static_cast<std::size_t>(row)];
      CameraCredential credential{CredentialEdit(row, kCredentialUserColumn)->text(),
                                  typed.isEmpty() && saved ? *saved : typed};
      // A row left blank is no credential.
      if (credential.user.isEmpty() && typed.isEmpty() && !saved) continue;
      if (!ValidCredential(credential)) {
        platform::AfxMessageBox(this, Text(kTextCamerasBadCredential).arg(row + 1));
        return std::nullopt;
      }
      choice.credentials.push_back(std::move(credential));
    }
  }
  return choice;
}

void CCamerasDlg::OnOK() {
  // The library must not change under a run: its devices were found with the settings in force.
  if (m_runUnderWay()) {
    ShowRunState();
    platform::AfxMessageBox(this, Text(kTextCamerasRunUnderWay));
    return;
  }
  const std::optional<CameraChoice> choice = ShownChoice();
  if (!choice) return;
  if (!m_settings.Save(*choice))
    platform::AfxMessageBox(this, Text(kTextCamerasCannotSave).arg(m_settings.FilePath()));
  KillTimer(kTimerCamerasRunState);
  accept();
}

}  // namespace config
