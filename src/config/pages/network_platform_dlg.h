// Page 5, "平台接入设置" (dialog 138): the platform-access group — login on or off, server,
// port and account.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_PLATFORM = 138;
constexpr int IDC_PLATFORM_ENABLE = 1146;
constexpr int IDC_PLATFORM_LOGIN = 1147;
constexpr int IDC_PLATFORM_SERVER = 1148;
constexpr int IDC_PLATFORM_PORT = 1149;
constexpr int IDC_PLATFORM_USERNAME = 1150;
constexpr int IDC_PLATFORM_PASSWORD = 1151;
constexpr int IDC_PLATFORM_SAVE = 1152;

class CNetworkPlatformDlg : public SettingsPage {
 public:
  explicit CNetworkPlatformDlg(QWidget* parent);
};

}  // namespace config
