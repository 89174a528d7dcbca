// Page 14, "设备语言" (dialog 148): the device-language group, the language of the device's own
// interface.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_LANGUAGE = 148;
// Copied by the load-all-pages routine of the other-settings window.
constexpr int IDC_LANGUAGE_ENABLE = 1200;
constexpr int IDC_LANGUAGE_LIST = 1201;
constexpr int IDC_LANGUAGE_SAVE = 1202;

class CSystemLanguageDlg : public SettingsPage {
 public:
  explicit CSystemLanguageDlg(QWidget* parent);
};

}  // namespace config
