// Page 1, "云平台设置" (dialog 149): the cloud group. The page has no load routine of its own;
// the load-all-pages routine of the other-settings window copies its three values.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_CLOUND = 149;
constexpr int IDC_CLOUD_ENABLE = 1039;
constexpr int IDC_CLOUD_LOGIN = 1106;
constexpr int IDC_CLOUD_SYNC_TIME = 1107;
constexpr int IDC_CLOUD_SAVE = 1108;

class CNetworkCloundDlg : public SettingsPage {
 public:
  explicit CNetworkCloundDlg(QWidget* parent);

  void LoadPage() override {}
};

}  // namespace config
