#include "config/pages/warning_motion_dlg.h"

#include <QAbstractButton>
#include <QComboBox>

#include "config/config_set.h"
#include "config/pages/page_items.h"
#include "config/pages/page_row.h"
#include "config/pages/warning_block.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 85, 105, 90};
constexpr int kFirstRowY = 32;
constexpr int kMotionRowStep = 18;

// The schedule lies below the grid, one row per entry, "每天" first.
constexpr int kScheduleX = 215;
constexpr int kScheduleFirstY = 166;
constexpr int kScheduleRowStep = 15;
constexpr int kScheduleCheckWidth = 45;
constexpr int kSchedulePickerWidth = 70;
constexpr int kScheduleDashWidth = 12;
constexpr int kScheduleOrder[kMotionDayCount] = {kEveryDayEntry, 0, 1, 2, 3, 4, 5, 6};
constexpr const char16_t* kScheduleLabels[kMotionDayCount] = {
    u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六", u"星期日", u"每天"};

}  // namespace

CWarningMotionDlg::CWarningMotionDlg(QWidget* parent) : SettingsPage(IDD_WARNING_MOTION, parent) {
  AddGroupBox({7, 7, 439, 290});
  AddEnableFlag(IDC_MOTION_ENABLE, QStringLiteral("设置移动侦测告警"), {15, 16, 150, 10},
                kMotionGroupFlag);
  int y = kFirstRowY;
  auto row = [this, &y](const char16_t* label) {
    AddLabel(QString::fromUtf16(label), LabelRect(kRows, y));
    const int rowY = y;
    y += kMotionRowStep;
    return rowY;
  };
  AddChoice(IDC_MOTION_ALARM, ControlRect(kRows, row(u"移动侦测告警"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kMotionEnable);
  AddNumber(IDC_MOTION_SENSITIVITY, ControlRect(kRows, row(u"灵敏度(1-100)")), kMotionSensitivity);
  AddNumber(IDC_MOTION_THRESHOLD, ControlRect(kRows, row(u"告警门限(1-100)")),
            kMotionAlarmThreshold);
  AddChoice(IDC_MOTION_BLOCK_COUNT, ControlRect(kRows, row(u"区域数量"), 90),
            Items(kMotionGridItems), kMotionBlockCount, kMotionInitialGrid);
  AddChoice(IDC_MOTION_DAY_NIGHT, ControlRect(kRows, row(u"启用夜间参数"), kListDropHeight),
            {kItemDisabled, kItemEnabled}, kMotionDayNightSwitch);
  AddTime(IDC_MOTION_NIGHT_START, ControlRect(kRows, row(u"夜间起始时间")), kMotionNightStartTime);
  AddTime(IDC_MOTION_NIGHT_END, ControlRect(kRows, row(u"夜间结束时间")), kMotionNightEndTime);
  AddNumber(IDC_MOTION_NIGHT_SENSITIVITY, ControlRect(kRows, row(u"夜间灵敏度(1-100)")),
            kMotionNightSensitivity);
  AddNumber(IDC_MOTION_NIGHT_THRESHOLD, ControlRect(kRows, row(u"夜间告警门限(1-100)")),
            kMotionNightAlarmThreshold);

  for (int line = 0; line < kMotionDayCount; ++line) {
    const int entry = kScheduleOrder[line];
    const ScheduleIds& ids = kScheduleIds[entry];
    const MotionDayFields day = MotionDay(entry);
    const int rowY = kScheduleFirstY + line * kScheduleRowStep;
    int x = kScheduleX;
    AddEnableFlag(ids.check, QString::fromUtf16(kScheduleLabels[entry]),
                  {x, rowY + 2, kScheduleCheckWidth, 10}, day.enabled);
    x += kScheduleCheckWidth;
    AddTime(ids.start, {x, rowY, kSchedulePickerWidth, 13}, day.startTime);
    x += kSchedulePickerWidth + 4;
    AddLabel(QStringLiteral("---"), {x, rowY + 3, kScheduleDashWidth, 8});
    x += kScheduleDashWidth + 2;
    AddTime(ids.end, {x, rowY, kSchedulePickerWidth, 13}, day.endTime);
    // Runs after the box's own handler has stored its state.
    connect(DlgItem<QAbstractButton>(ids.check), &QAbstractButton::clicked, this,
            [this, entry] { OnScheduleCheck(entry); });
  }

  m_block = new WarningBlock(this);
  m_block->show();
  connect(DlgItem<QComboBox>(IDC_MOTION_BLOCK_COUNT), &QComboBox::currentIndexChanged, this,
          [this](int index) { m_block->SetBlockIndex(index); });

  AddSaveButton(IDC_MOTION_SAVE, {389, 299, 50, 14});
}

BOOL CWarningMotionDlg::OnInitDialog() {
  SettingsPage::OnInitDialog();
  // The grid shows the size its list shows, not an empty pane beside "3X3".
  m_block->SetBlockIndex(DlgItem<QComboBox>(IDC_MOTION_BLOCK_COUNT)->currentIndex());
  return TRUE;
}

void CWarningMotionDlg::LoadPage() {
  SettingsPage::LoadPage();
  // The list may already show the stored size, which then raises no change.
  m_block->SetBlockIndex(DlgItem<QComboBox>(IDC_MOTION_BLOCK_COUNT)->currentIndex());
  m_block->LoadFlags();
}

void CWarningMotionDlg::OnScheduleCheck(int entry) {
  if (!IsDlgButtonChecked(kScheduleIds[entry].check)) return;
  ConfigSet& set = ProcessConfigSet();
  if (entry == kEveryDayEntry) {
    for (int day = 0; day < kEveryDayEntry; ++day) {
      CheckDlgButton(kScheduleIds[day].check, false);
      set.Set(MotionDay(day).enabled, 0);
    }
  } else {
    CheckDlgButton(kScheduleIds[kEveryDayEntry].check, false);
    set.Set(MotionDay(kEveryDayEntry).enabled, 0);
  }
}

}  // namespace config
