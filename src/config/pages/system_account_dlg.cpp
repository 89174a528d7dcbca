#include "config/pages/system_account_dlg.h"

#include "config/config_set.h"
#include "config/pages/page_row.h"
#include "platform/dialog_service.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 70, 90, 110};

}  // namespace

CSystemAccountDlg::CSystemAccountDlg(QWidget* parent) : SettingsPage(IDD_SYSTEM_ACCOUNT, parent) {
  AddGroupBox({7, 7, 424, 78});
  AddEnableFlag(IDC_ACCOUNT_ENABLE, QStringLiteral("修改admin帐号密码"), {15, 16, 150, 10},
                kAccountGroupFlag);
  AddLabel(QStringLiteral("新密码"), LabelRect(kRows, 34));
  AddText(IDC_ACCOUNT_PASSWORD, ControlRect(kRows, 34), kAccountPassword, true);
  AddLabel(QStringLiteral("新密码确认"), LabelRect(kRows, 54));
  AddText(IDC_ACCOUNT_PASSWORD_CONFIRM, ControlRect(kRows, 54), kAccountPasswordConfirm, true);
  AddSaveButton(IDC_ACCOUNT_SAVE, {381, 92, 50, 14}, [this] { OnSaveWithCheck(); });
}

void CSystemAccountDlg::OnSaveWithCheck() {
  const ConfigSet& set = ProcessConfigSet();
  if (set.GetAnsi(kAccountPassword) != set.GetAnsi(kAccountPasswordConfirm)) {
    platform::AfxMessageBox(this, QString::fromUtf16(kPasswordsDiffer));
    return;
  }
  OnSave();
}

}  // namespace config
