// Page 11, "帐号管理" (dialog 139): the account group — the new password of the devices' "admin"
// account and its confirmation. Its "保存" first compares the two.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_ACCOUNT = 139;
constexpr int IDC_ACCOUNT_ENABLE = 1198;
constexpr int IDC_ACCOUNT_PASSWORD = 1089;
constexpr int IDC_ACCOUNT_PASSWORD_CONFIRM = 1086;
constexpr int IDC_ACCOUNT_SAVE = 1199;

class CSystemAccountDlg : public SettingsPage {
 public:
  explicit CSystemAccountDlg(QWidget* parent);

  // "两次密码不同！" and nothing stored when the stored password and confirmation differ.
  void OnSaveWithCheck();
};

}  // namespace config
