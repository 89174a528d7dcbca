#include "config/pages/system_maintain_dlg.h"

#include "config/pages/page_items.h"
#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 70, 90, 100};

}  // namespace

CSystemMaintainDlg::CSystemMaintainDlg(QWidget* parent)
    : SettingsPage(IDD_SYSTEM_MAINTAIN, parent) {
  AddGroupBox({7, 7, 424, 98});
  AddEnableFlag(IDC_MAINTAIN_ENABLE, QStringLiteral("定时维护"), {15, 16, 150, 10},
                kMaintenanceGroupFlag);
  AddLabel(QStringLiteral("定时维护"), LabelRect(kRows, 34));
  AddChoice(IDC_MAINTAIN_SWITCH, ControlRect(kRows, 34, kListDropHeight),
            {kItemDisabled, kItemEnabled}, kMaintenanceEnable);
  AddLabel(QStringLiteral("维护日期"), LabelRect(kRows, 54));
  AddChoice(IDC_MAINTAIN_DAY, ControlRect(kRows, 54, 120), Items(kMaintenanceDayItems),
            kMaintenanceDay, kMaintenanceInitialDay);
  AddLabel(QStringLiteral("维护时间"), LabelRect(kRows, 74));
  AddTime(IDC_MAINTAIN_TIME, ControlRect(kRows, 74), kMaintenanceTime);
  AddSaveButton(IDC_MAINTAIN_SAVE, {381, 112, 50, 14});
}

}  // namespace config
