// The About box (template 100): the application icon, two text lines and "确定".
#pragma once

#include "platform/dialog.h"

namespace app {

class CAboutDlg : public platform::Dialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace app
