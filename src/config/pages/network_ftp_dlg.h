// Page 2, "FTP帐号设置" (dialog 136): the FTP group — its enable flag and a grid of the four
// account records (alarm upload, log backup, configuration backup, remote upgrade).
#pragma once

#include "config/config_fields.h"
#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_NETWORK_FTP = 136;
constexpr int IDC_FTP_ENABLE = 1110;
constexpr int IDC_FTP_SAVE = 1109;

// Control IDs of the grid, by record: server address, port, user, password, storage path.
struct FtpRowIds {
  int serverIP;
  int serverPort;
  int username;
  int password;
  int filePath;
};
constexpr FtpRowIds kFtpRowIds[kFtpRecordCount] = {
    {1111, 1112, 1113, 1114, 1102},
    {1115, 1116, 1117, 1118, 1103},
    {1119, 1120, 1121, 1101, 1104},
    {1122, 1123, 1124, 1125, 1105},
};

class CNetworkFTPDlg : public SettingsPage {
 public:
  explicit CNetworkFTPDlg(QWidget* parent);
};

}  // namespace config
