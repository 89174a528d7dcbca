#include "config/pages/warning_motion_dlg.h"

namespace config {

CWarningMotionDlg::CWarningMotionDlg(QWidget* parent) : SettingsPage(IDD_WARNING_MOTION, parent) {}

}  // namespace config
