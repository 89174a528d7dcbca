#include "config/pages/network_clound_dlg.h"

namespace config {

CNetworkCloundDlg::CNetworkCloundDlg(QWidget* parent) : SettingsPage(IDD_NETWORK_CLOUND, parent) {
  AddGroupBox({7, 3, 424, 95});
  AddEnableFlag(IDC_CLOUD_ENABLE, QStringLiteral("设置云平台"), {15, 15, 192, 10}, kCloudGroupFlag);
  AddLabel(QStringLiteral("登录云管理平台"), {20, 42, 59, 8}, true);
  AddChoice(IDC_CLOUD_LOGIN, {98, 40, 100, 30}, {kItemDisabled, kItemEnabled}, kCloudEnable);
  AddLabel(QStringLiteral("同步时间"), {20, 68, 59, 8}, true);
  AddChoice(IDC_CLOUD_SYNC_TIME, {98, 66, 100, 30}, {kItemDisabled, kItemEnabled}, kCloudSyncTime);
  AddSaveButton(IDC_CLOUD_SAVE, {381, 107, 50, 14});
}

}  // namespace config
