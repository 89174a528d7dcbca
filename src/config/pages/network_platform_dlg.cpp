#include "config/pages/network_platform_dlg.h"

namespace config {
namespace {

constexpr int kLabelX = 27;
constexpr int kLabelWidth = 132;
constexpr int kControlX = 165;
constexpr int kControlWidth = 79;

}  // namespace

CNetworkPlatformDlg::CNetworkPlatformDlg(QWidget* parent)
    : SettingsPage(IDD_NETWORK_PLATFORM, parent) {
  AddGroupBox({7, 7, 431, 153});
  AddEnableFlag(IDC_PLATFORM_ENABLE, QStringLiteral("设置平台接入"), {15, 14, 156, 10},
                kPlatformGroupFlag);
  AddLabel(QStringLiteral("登录接入服务器"), {kLabelX, 30, kLabelWidth, 8});
  AddChoice(IDC_PLATFORM_LOGIN, {kControlX, 28, kControlWidth, 30}, {kItemDisabled, kItemEnabled},
            kPlatformEnable);
  AddLabel(QStringLiteral("接入服务器地址"), {kLabelX, 55, kLabelWidth, 8});
  AddText(IDC_PLATFORM_SERVER, {kControlX, 52, kControlWidth, 14}, kPlatformServer);
  AddLabel(QStringLiteral("接入服务器端口(1-65535)"), {kLabelX, 80, kLabelWidth, 8});
  AddNumber(IDC_PLATFORM_PORT, {kControlX, 77, kControlWidth, 14}, kPlatformPort);
  AddLabel(QStringLiteral("接入服务器帐号"), {kLabelX, 105, kLabelWidth, 8});
  AddText(IDC_PLATFORM_USERNAME, {kControlX, 102, kControlWidth, 14}, kPlatformUsername);
  AddLabel(QStringLiteral("接入服务器密码"), {kLabelX, 130, kLabelWidth, 8});
  AddText(IDC_PLATFORM_PASSWORD, {kControlX, 127, kControlWidth, 14}, kPlatformPassword, true);
  AddSaveButton(IDC_PLATFORM_SAVE, {388, 167, 50, 14});
}

}  // namespace config
