#include "config/pages/media_timetitle_dlg.h"

#include <QLabel>

#include "config/pages/page_items.h"
#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 95, 115, 120};
constexpr int kFirstRowY = 34;
constexpr int kTitleWidth = 220;

}  // namespace

CMediaTimetitleDlg::CMediaTimetitleDlg(QWidget* parent)
    : SettingsPage(IDD_MEDIA_TIMETITLE, parent) {
  AddGroupBox({7, 7, 424, 168});
  AddEnableFlag(IDC_TIMETITLE_ENABLE, QStringLiteral("设置时间和标题"), {15, 16, 150, 10},
                kTimeTitleGroupFlag);
  int y = kFirstRowY;
  auto row = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kRows, y));
    const int rowY = y;
    y += kRowStep;
    return rowY;
  };
  AddChoice(IDC_TIMETITLE_OSD, ControlRect(kRows, row(u"OSD显示"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kTimeTitleEnable);
  AddChoice(IDC_TIMETITLE_TRANSPARENCY, ControlRect(kRows, row(u"叠加附加信息"), 70),
            {u"不叠加", u"叠加到分辨率", u"叠加到码率", u"叠加到分辨率和码率"},
            kTimeTitleTransparency);
  AddChoice(IDC_TIMETITLE_TIME_POSITION, ControlRect(kRows, row(u"时间位置"), 80),
            Items(kOsdPositionItems), kTimeTitleTimePosition);
  AddChoice(IDC_TIMETITLE_FORMAT, ControlRect(kRows, row(u"时间显示格式"), 120),
            Items(kOsdTimeFormatItems), kTimeTitleFormat);
  AddChoice(IDC_TIMETITLE_TITLE_POSITION, ControlRect(kRows, row(u"标题位置"), 80),
            Items(kOsdPositionItems), kTimeTitleTitlePosition);
  const int titleY = row(u"标题内容(多行用^分隔)");
  AddText(IDC_TIMETITLE_TITLE, {kRows.controlX, titleY, kTitleWidth, kRowHeight}, kTimeTitleTitle);

  const int hiddenY = y;
  QLabel* hiddenLabel = AddLabel(QStringLiteral("透明度"), LabelRect(kRows, hiddenY));
  AddNumber(IDC_TIMETITLE_HIDDEN_TRANSPARENCY, ControlRect(kRows, hiddenY),
            kTimeTitleHiddenTransparency);
  hiddenLabel->hide();
  GetDlgItem(IDC_TIMETITLE_HIDDEN_TRANSPARENCY)->hide();

  AddSaveButton(IDC_TIMETITLE_SAVE, {381, 182, 50, 14});
}

}  // namespace config
