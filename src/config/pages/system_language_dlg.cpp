#include "config/pages/system_language_dlg.h"

namespace config {

CSystemLanguageDlg::CSystemLanguageDlg(QWidget* parent)
    : SettingsPage(IDD_SYSTEM_LANGUAGE, parent) {}

}  // namespace config
