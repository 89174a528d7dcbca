// The start-address dialog (template 150, "set ip"), opened modally by button 1211: whether IP
// re-addressing takes its addresses from a start address, mask and gateway, and those three.
// Every change goes into the configuration set at once; "确定" also stores config.dat.
#pragma once

#include "platform/dialog.h"

namespace operations {

constexpr int IDD_SETTING_IP = 150;
constexpr int IDC_START_ADDRESS_ENABLE = 1059;
constexpr int IDC_START_ADDRESS_IP = 1212;
constexpr int IDC_START_ADDRESS_MASK = 1213;
constexpr int IDC_START_ADDRESS_GATEWAY = 1214;

class CSettingIPDlg : public platform::Dialog {
  Q_OBJECT

 public:
  explicit CSettingIPDlg(QWidget* parent = nullptr);

  // Fills the controls from the configuration set.
  BOOL OnInitDialog();
  void OnOK();

 private:
  void CreateControls();
};

}  // namespace operations
