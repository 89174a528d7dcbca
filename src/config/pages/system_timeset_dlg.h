// Page 12, "时钟设置" (dialog 146): the clock group — time server or manual time, time zone, the
// manual date and time (kept for the page only) and the NTP server.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

constexpr int IDD_SYSTEM_TIMESET = 146;
constexpr int IDC_TIMESET_ENABLE = 1059;
constexpr int IDC_TIMESET_MODE = 1208;
constexpr int IDC_TIMESET_ZONE = 1021;
constexpr int IDC_TIMESET_DATE_TIME = 1102;
// Hidden in the template, yet still writing its page-only field.
constexpr int IDC_TIMESET_SET_TIME = 1060;
constexpr int IDC_TIMESET_SERVER = 1209;
constexpr int IDC_TIMESET_PORT = 1212;
constexpr int IDC_TIMESET_INTERVAL = 1213;
constexpr int IDC_TIMESET_SAVE = 1073;

class CSystemTimesetDlg : public SettingsPage {
 public:
  explicit CSystemTimesetDlg(QWidget* parent);
};

}  // namespace config
