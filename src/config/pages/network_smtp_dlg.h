// Page 3, "SMTP帐号设置" (dialog 137): the SMTP group — account, password with its
// confirmation, sender, and a grid of the three recipient records. Its "保存" first compares the
// password with its confirmation.
#pragma once

#include "config/config_fields.h"
#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_SMTP = 137;
constexpr int IDC_SMTP_ENABLE = 1126;
constexpr int IDC_SMTP_SERVER = 1127;
constexpr int IDC_SMTP_PORT = 1128;
constexpr int IDC_SMTP_AUTH = 1129;
constexpr int IDC_SMTP_USERNAME = 1130;
constexpr int IDC_SMTP_PASSWORD = 1131;
constexpr int IDC_SMTP_PASSWORD_CONFIRM = 1132;
constexpr int IDC_SMTP_FROM = 1133;
constexpr int IDC_SMTP_SAVE = 1138;

// Control IDs of the recipient grid, by record.
struct SmtpRowIds {
  int toEmail;
  int ccEmail;
  int subject;
};
constexpr SmtpRowIds kSmtpRowIds[kSmtpRecipientCount] = {
    {1134, 1135, 1098},
    {1096, 1136, 1097},
    {1137, 1100, 1099},
};

class CNetworkSmtpDlg : public SettingsPage {
 public:
  explicit CNetworkSmtpDlg(QWidget* parent);

  // "两次密码不同！" and nothing stored when the stored password and confirmation differ.
  void OnSaveWithCheck();
};

}  // namespace config
