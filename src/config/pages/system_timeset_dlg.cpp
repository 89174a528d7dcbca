#include "config/pages/system_timeset_dlg.h"

#include <QSignalBlocker>

#include "config/pages/page_items.h"
#include "config/pages/page_row.h"
#include "platform/clock.h"
#include "platform/date_time_ctrl.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 90, 110, 120};
constexpr int kZoneWidth = 280;
constexpr int kZoneDropHeight = 200;
constexpr char16_t kDateTimeFormat[] = u"yyyy-MM-dd HH:mm:ss";

}  // namespace

CSystemTimesetDlg::CSystemTimesetDlg(QWidget* parent) : SettingsPage(IDD_SYSTEM_TIMESET, parent) {
  AddGroupBox({7, 7, 424, 168});
  AddEnableFlag(IDC_TIMESET_ENABLE, QStringLiteral("时钟设置"), {15, 16, 150, 10}, kClockGroupFlag);
  int y = 34;
  auto row = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kRows, y));
    const int rowY = y;
    y += kRowStep;
    return rowY;
  };
  AddChoice(IDC_TIMESET_MODE, ControlRect(kRows, row(u"更新方式"), kListDropHeight),
            {u"使用NTP服务", u"手动设置"}, kClockTimeMode);
  AddChoice(IDC_TIMESET_ZONE, {kRows.controlX, row(u"时区"), kZoneWidth, kZoneDropHeight},
            TimeZoneItems(), kClockTimeZone, kInitialTimeZone);
  const int timeY = row(u"时间");
  AddDateTime(IDC_TIMESET_DATE_TIME, ControlRect(kRows, timeY), kClockManualYear,
              QString::fromUtf16(kDateTimeFormat));
  // The picker starts at the PC's time, as the Win32 picker does; no field is written before the
  // settings file has been read or its defaults stored.
  platform::SYSTEMTIME now{};
  platform::GetLocalTime(&now);
  auto* picker = DlgItem<platform::DateTimeCtrl>(IDC_TIMESET_DATE_TIME);
  const QSignalBlocker blocker(picker);
  picker->SetTime(now);
  AddEnableFlag(IDC_TIMESET_SET_TIME, QStringLiteral("设置时间"),
                {kRows.controlX + kRows.controlWidth + 10, timeY + 2, 60, 10}, kClockSetTimeCheck);
  GetDlgItem(IDC_TIMESET_SET_TIME)->hide();
  AddText(IDC_TIMESET_SERVER, ControlRect(kRows, row(u"NTP服务器IP")), kClockServerIP);
  AddNumber(IDC_TIMESET_PORT, ControlRect(kRows, row(u"NTP端口(1-65535)")), kClockServerPort);
  const int intervalY = row(u"刷新间隔(60-999999)");
  AddNumber(IDC_TIMESET_INTERVAL, ControlRect(kRows, intervalY), kClockRefreshInterval);
  AddLabel(QStringLiteral("秒(s)"),
           {kRows.controlX + kRows.controlWidth + 5, intervalY + kLabelDrop, 30, kLabelHeight});
  AddSaveButton(IDC_TIMESET_SAVE, {381, 182, 50, 14});
}

}  // namespace config
