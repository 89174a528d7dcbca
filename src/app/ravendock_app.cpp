#include "app/ravendock_app.h"

#include "app/ravendock_dlg.h"
#include "platform/win_types.h"

int CRavendockApp::InitInstance() {
  CRavendockDlg dialog;
  dialog.OnInitDialog();
  dialog.exec();
  return FALSE;
}
