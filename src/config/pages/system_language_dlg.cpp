#include "config/pages/system_language_dlg.h"

#include "config/pages/page_items.h"
#include "config/pages/page_row.h"

namespace config {
namespace {

constexpr PageRowLayout kRows{15, 70, 90, 100};

}  // namespace

CSystemLanguageDlg::CSystemLanguageDlg(QWidget* parent)
    : SettingsPage(IDD_SYSTEM_LANGUAGE, parent) {
  AddGroupBox({7, 7, 424, 58});
  AddEnableFlag(IDC_LANGUAGE_ENABLE, QStringLiteral("设置设备语言"), {15, 16, 150, 10},
                kDeviceLanguageGroupFlag);
  AddLabel(QStringLiteral("语言列表"), LabelRect(kRows, 34));
  AddChoice(IDC_LANGUAGE_LIST, ControlRect(kRows, 34, 70), Items(kDeviceLanguageItems),
            kDeviceLanguage);
  AddSaveButton(IDC_LANGUAGE_SAVE, {381, 72, 50, 14});
}

}  // namespace config
