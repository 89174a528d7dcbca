// Page 0, "网络设置" (dialog 135): the Ethernet group — its enable flag and five addresses.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_ETHERNET = 135;
constexpr int IDC_ETHERNET_ENABLE = 1059;
constexpr int IDC_ETHERNET_IP = 1080;
constexpr int IDC_ETHERNET_NETMASK = 1081;
constexpr int IDC_ETHERNET_GATEWAY = 1082;
constexpr int IDC_ETHERNET_DNS1 = 1083;
constexpr int IDC_ETHERNET_DNS2 = 1084;
constexpr int IDC_ETHERNET_SAVE = 1105;

class CNetworkEthernetDlg : public SettingsPage {
 public:
  explicit CNetworkEthernetDlg(QWidget* parent);
};

}  // namespace config
