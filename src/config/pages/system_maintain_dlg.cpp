#include "config/pages/system_maintain_dlg.h"

namespace config {

CSystemMaintainDlg::CSystemMaintainDlg(QWidget* parent)
    : SettingsPage(IDD_SYSTEM_MAINTAIN, parent) {}

}  // namespace config
