#include "config/pages/system_account_dlg.h"

namespace config {

CSystemAccountDlg::CSystemAccountDlg(QWidget* parent) : SettingsPage(IDD_SYSTEM_ACCOUNT, parent) {}

}  // namespace config
