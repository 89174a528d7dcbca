// Page 10, "移动侦测" (dialog 144): the motion-detection group — detection, day and night
// sensitivities and thresholds, the night period, the weekly schedule, and the watched areas on
// the block grid.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

class WarningBlock;

constexpr int IDD_WARNING_MOTION = 144;
constexpr int IDC_MOTION_ENABLE = 1191;
constexpr int IDC_MOTION_ALARM = 1192;
constexpr int IDC_MOTION_SENSITIVITY = 1193;
constexpr int IDC_MOTION_THRESHOLD = 1087;
constexpr int IDC_MOTION_BLOCK_COUNT = 1023;
constexpr int IDC_MOTION_DAY_NIGHT = 1024;
constexpr int IDC_MOTION_NIGHT_START = 1194;
constexpr int IDC_MOTION_NIGHT_END = 1103;
constexpr int IDC_MOTION_NIGHT_SENSITIVITY = 1088;
constexpr int IDC_MOTION_NIGHT_THRESHOLD = 1195;
constexpr int IDC_MOTION_SAVE = 1197;

// The schedule entry of every day; entries 0 to 6 are Monday to Sunday.
inline constexpr int kEveryDayEntry = 7;

// One schedule row: its check box and its start and end pickers.
struct ScheduleIds {
  int check;
  int start;
  int end;
};
// By schedule entry, Monday first.
inline constexpr ScheduleIds kScheduleIds[kMotionDayCount] = {
    {1061, 1106, 1107}, {1064, 1108, 1109}, {1065, 1110, 1111}, {1066, 1112, 1113},
    {1067, 1114, 1115}, {1068, 1116, 1117}, {1069, 1118, 1119}, {1196, 1104, 1105},
};

class CWarningMotionDlg : public SettingsPage {
 public:
  explicit CWarningMotionDlg(QWidget* parent);

  // Also gives the grid the size its list shows.
  BOOL OnInitDialog() override;
  // Also gives the grid the stored size and the stored flags.
  void LoadPage() override;

  WarningBlock* Block() const { return m_block; }

 private:
  // "每天" and the single days exclude each other.
  void OnScheduleCheck(int entry);

  WarningBlock* m_block = nullptr;
};

}  // namespace config
