#include "config/pages/system_timeset_dlg.h"

namespace config {

CSystemTimesetDlg::CSystemTimesetDlg(QWidget* parent) : SettingsPage(IDD_SYSTEM_TIMESET, parent) {}

}  // namespace config
