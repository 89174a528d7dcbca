#include "config/pages/network_ftp_dlg.h"

namespace config {
namespace {

constexpr const char16_t* kRowLabels[kFtpRecordCount] = {u"告警上传", u"日志备份", u"配置备份",
                                                         u"远程升级"};
constexpr const char16_t* kHeadings[] = {u"FTP服务器地址", u"FTP端口", u"FTP帐号", u"FTP密码",
                                         u"FTP服务器存储路径"};
constexpr int kColumnX[] = {75, 163, 208, 260, 311};
constexpr int kColumnWidth[] = {79, 37, 46, 46, 107};
constexpr int kRowY[kFtpRecordCount] = {61, 84, 107, 129};
constexpr int kRowHeight = 14;
constexpr int kHeadingY = 41;
constexpr int kRowLabelX = 18;
// The etched lines lie in the gaps between the headings, rows and columns.
constexpr int kRowLineY[] = {56, 79, 102, 125};
constexpr int kColumnLineX[] = {71, 158, 204, 257, 308};
constexpr int kGridLeft = 14;
constexpr int kGridRight = 420;
constexpr int kGridTop = 37;
constexpr int kGridBottom = 147;

}  // namespace

CNetworkFTPDlg::CNetworkFTPDlg(QWidget* parent) : SettingsPage(IDD_NETWORK_FTP, parent) {
  AddGroupBox({7, 7, 424, 155});
  AddEnableFlag(IDC_FTP_ENABLE, QStringLiteral("设置FTP帐号"), {14, 16, 153, 10}, kFtpGroupFlag);
  for (int column = 0; column < 5; ++column)
    AddLabel(QString::fromUtf16(kHeadings[column]),
             {kColumnX[column], kHeadingY, kColumnWidth[column], 8});
  for (int k = 0; k < kFtpRecordCount; ++k) {
    const FtpRowIds& ids = kFtpRowIds[k];
    const FtpRecordFields record = FtpRecord(k);
    const int y = kRowY[k];
    AddLabel(QString::fromUtf16(kRowLabels[k]), {kRowLabelX, y + 3, 50, 8});
    AddText(ids.serverIP, {kColumnX[0], y, kColumnWidth[0], kRowHeight}, record.serverIP);
    AddNumber(ids.serverPort, {kColumnX[1], y, kColumnWidth[1], kRowHeight}, record.serverPort);
    AddText(ids.username, {kColumnX[2], y, kColumnWidth[2], kRowHeight}, record.username);
    AddText(ids.password, {kColumnX[3], y, kColumnWidth[3], kRowHeight}, record.password, true);
    AddText(ids.filePath, {kColumnX[4], y, kColumnWidth[4], kRowHeight}, record.filePath);
  }
  for (int y : kRowLineY) AddEtchedLine({kGridLeft, y, kGridRight - kGridLeft, 1}, true);
  for (int x : kColumnLineX) AddEtchedLine({x, kGridTop, 1, kGridBottom - kGridTop}, false);
  AddSaveButton(IDC_FTP_SAVE, {381, 172, 50, 14});
}

}  // namespace config
