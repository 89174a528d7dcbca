#include "operations/start_address_dlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "config/config_file.h"
#include "config/config_set.h"
#include "platform/dialog_service.h"
#include "platform/ip_address_ctrl.h"

namespace operations {
namespace {

constexpr char16_t kTitle[] = u"set ip";
constexpr int kDialogWidth = 200;
constexpr int kDialogHeight = 112;

// The three addresses, each with its label and the field of the configuration set it edits.
struct AddressEntry {
  int id;
  const char16_t* label;
  config::TextField field;
  int y;
};
constexpr AddressEntry kAddressEntries[] = {
    {IDC_START_ADDRESS_IP, u"IP", config::kStartAddressIP, 30},
    {IDC_START_ADDRESS_MASK, u"子网掩码", config::kStartAddressNetmask, 50},
    {IDC_START_ADDRESS_GATEWAY, u"网关", config::kStartAddressGateway, 70},
};

}  // namespace

CSettingIPDlg::CSettingIPDlg(QWidget* parent) : Dialog(IDD_SETTING_IP, parent) {
  setWindowTitle(QString::fromUtf16(kTitle));
  CreateControls();
}

void CSettingIPDlg::CreateControls() {
  setFixedSize(DialogUnitsToPixels(0, 0, kDialogWidth, kDialogHeight).size());
  auto* enable = new QCheckBox(QStringLiteral("修改IP起始地址"), this);
  SetControlId(enable, IDC_START_ADDRESS_ENABLE);
  enable->setGeometry(DialogUnitsToPixels(14, 10, 120, 10));
  connect(enable, &QCheckBox::clicked, this, [](bool checked) {
    config::ProcessConfigSet().Set(config::kStartAddressEnable, checked ? 1 : 0);
  });

  for (const AddressEntry& entry : kAddressEntries) {
    auto* label = new QLabel(QString::fromUtf16(entry.label), this);
    label->setGeometry(DialogUnitsToPixels(14, entry.y + 2, 44, 10));
    auto* address = new platform::IpAddressCtrl(this);
    SetControlId(address, entry.id);
    address->setGeometry(DialogUnitsToPixels(62, entry.y, 120, 14));
    // Stored at once, whole, on every field change.
    connect(address, &platform::IpAddressCtrl::FieldChanged, this, [address, field = entry.field] {
      config::ProcessConfigSet().Set(field, address->Text());
    });
  }

  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  SetControlId(ok, platform::IDOK);
  ok->setGeometry(DialogUnitsToPixels(40, 92, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  SetControlId(cancel, platform::IDCANCEL);
  cancel->setGeometry(DialogUnitsToPixels(110, 92, 50, 14));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

BOOL CSettingIPDlg::OnInitDialog() {
  const config::ConfigSet& set = config::ProcessConfigSet();
  CheckDlgButton(IDC_START_ADDRESS_ENABLE, set.Get(config::kStartAddressEnable) != 0);
  for (const AddressEntry& entry : kAddressEntries) SetDlgItemText(entry.id, set.Get(entry.field));
  return TRUE;
}

void CSettingIPDlg::OnOK() {
  config::StoreConfig();
  accept();
}

}  // namespace operations
