#include "config/pages/network_stream_dlg.h"

namespace config {
namespace {

constexpr int kLabelX = 31;
constexpr int kLabelWidth = 132;
constexpr int kControlX = 169;
constexpr int kControlWidth = 79;

}  // namespace

CNetworkStreamDlg::CNetworkStreamDlg(QWidget* parent) : SettingsPage(IDD_NETWORK_STREAM, parent) {
  AddGroupBox({7, 7, 431, 153});
  AddEnableFlag(IDC_STREAM_ENABLE, QStringLiteral("设置流媒体"), {14, 19, 137, 10},
                kStreamingGroupFlag);
  AddLabel(QStringLiteral("是否需要认证"), {kLabelX, 36, kLabelWidth, 8});
  AddChoice(IDC_STREAM_AUTH, {kControlX, 34, kControlWidth, 30}, {u"否", u"是"}, kStreamingAuth);
  AddLabel(QStringLiteral("访问端口(554, 1000-65535)"), {kLabelX, 61, kLabelWidth, 8});
  AddNumber(IDC_STREAM_VIDEO_PORT, {kControlX, 58, kControlWidth, 14}, kStreamingVideoPort);
  AddLabel(QStringLiteral("访问协议"), {kLabelX, 87, kLabelWidth, 8});
  AddChoice(IDC_STREAM_PROTOCOL, {kControlX, 85, kControlWidth, 30}, {u"UDP", u"TCP"},
            kStreamingRTPOverRTSP);
  AddLabel(QStringLiteral("云台控制端口(801,1000-65535)"), {kLabelX, 111, kLabelWidth, 8});
  AddNumber(IDC_STREAM_PTZ_PORT, {kControlX, 108, kControlWidth, 14}, kStreamingPTZPort);
  AddLabel(QStringLiteral("WEB访问端口(80,1000-65535)"), {kLabelX, 136, kLabelWidth, 8});
  AddNumber(IDC_STREAM_WEB_PORT, {kControlX, 133, kControlWidth, 14}, kStreamingWEBPort);
  AddSaveButton(IDC_STREAM_SAVE, {387, 168, 50, 14});
}

}  // namespace config
