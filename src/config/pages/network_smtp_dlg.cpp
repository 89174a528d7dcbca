#include "config/pages/network_smtp_dlg.h"

#include <iterator>

#include "config/config_set.h"
#include "platform/dialog_service.h"

namespace config {
namespace {

constexpr int kLabelX = 24;
constexpr int kLabelWidth = 70;
constexpr int kControlX = 100;
constexpr int kControlWidth = 101;
constexpr int kEditHeight = 14;

struct TextRow {
  int id;
  const char16_t* label;
  TextField field;
  int y;
  bool password;
};
constexpr TextRow kTextRows[] = {
    {IDC_SMTP_SERVER, u"服务器地址", kSmtpServerIP, 32, false},
    {IDC_SMTP_USERNAME, u"邮件帐号", kSmtpUsername, 83, false},
    {IDC_SMTP_PASSWORD, u"邮件密码", kSmtpPassword, 100, true},
    {IDC_SMTP_PASSWORD_CONFIRM, u"密码确认", kSmtpPasswordConfirm, 117, true},
    {IDC_SMTP_FROM, u"显示帐号", kSmtpFromEmail, 134, false},
};

constexpr const char16_t* kRowLabels[kSmtpRecipientCount] = {u"告警上传", u"日志备份", u"配置备份"};
constexpr const char16_t* kHeadings[] = {u"接收邮件地址", u"抄送邮件地址", u"邮件主题"};
constexpr int kColumnX[] = {89, 190, 289};
constexpr int kColumnWidth = 92;
constexpr int kRowY[kSmtpRecipientCount] = {189, 211, 232};
constexpr int kHeadingY = 172;
constexpr int kRowLabelX = 19;
// The etched lines lie in the gaps between the headings, rows and columns.
constexpr int kRowLineY[] = {184, 206, 228};
constexpr int kColumnLineX[] = {85, 185, 285};
constexpr int kGridLeft = 15;
constexpr int kGridRight = 385;
constexpr int kGridTop = 168;
constexpr int kGridBottom = 250;

}  // namespace

CNetworkSmtpDlg::CNetworkSmtpDlg(QWidget* parent) : SettingsPage(IDD_NETWORK_SMTP, parent) {
  AddGroupBox({7, 7, 439, 257});
  AddEnableFlag(IDC_SMTP_ENABLE, QStringLiteral("设置SMTP帐号"), {15, 14, 140, 10}, kSmtpGroupFlag);
  // Created in the order of the template, which is the tab order.
  auto addTextRow = [this](const TextRow& row) {
    AddLabel(QString::fromUtf16(row.label), {kLabelX, row.y + 3, kLabelWidth, 8});
    AddText(row.id, {kControlX, row.y, kControlWidth, kEditHeight}, row.field, row.password);
  };
  addTextRow(kTextRows[0]);
  AddLabel(QStringLiteral("服务器端口"), {kLabelX, 52, kLabelWidth, 8});
  AddNumber(IDC_SMTP_PORT, {kControlX, 49, kControlWidth, kEditHeight}, kSmtpServerPort);
  AddLabel(QStringLiteral("SSL/TSL连接"), {kLabelX, 68, kLabelWidth, 8});
  AddChoice(IDC_SMTP_AUTH, {kControlX, 66, kControlWidth, 30}, {kItemDisabled, kItemEnabled},
            kSmtpAuth);
  for (std::size_t i = 1; i < std::size(kTextRows); ++i) addTextRow(kTextRows[i]);

  for (int column = 0; column < 3; ++column)
    AddLabel(QString::fromUtf16(kHeadings[column]), {kColumnX[column], kHeadingY, kColumnWidth, 8});
  for (int k = 0; k < kSmtpRecipientCount; ++k) {
    const SmtpRowIds& ids = kSmtpRowIds[k];
    const SmtpRecipientFields record = SmtpRecipient(k);
    const int y = kRowY[k];
    AddLabel(QString::fromUtf16(kRowLabels[k]), {kRowLabelX, y + 3, 60, 8});
    AddText(ids.toEmail, {kColumnX[0], y, kColumnWidth, kEditHeight}, record.toEmail);
    AddText(ids.ccEmail, {kColumnX[1], y, kColumnWidth, kEditHeight}, record.ccEmail);
    AddText(ids.subject, {kColumnX[2], y, kColumnWidth, kEditHeight}, record.subject);
  }
  for (int y : kRowLineY) AddEtchedLine({kGridLeft, y, kGridRight - kGridLeft, 1}, true);
  for (int x : kColumnLineX) AddEtchedLine({x, kGridTop, 1, kGridBottom - kGridTop}, false);

  AddSaveButton(IDC_SMTP_SAVE, {393, 269, 50, 14}, [this] { OnSaveWithCheck(); });
}

void CNetworkSmtpDlg::OnSaveWithCheck() {
  const ConfigSet& set = ProcessConfigSet();
  if (set.GetAnsi(kSmtpPassword) != set.GetAnsi(kSmtpPasswordConfirm)) {
    platform::AfxMessageBox(this, QString::fromUtf16(kPasswordsDiffer));
    return;
  }
  OnSave();
}

}  // namespace config
