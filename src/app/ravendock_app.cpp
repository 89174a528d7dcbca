#include "app/ravendock_app.h"

#include <cstdlib>

#include "app/ravendock_dlg.h"
#include "platform/win_types.h"

int CRavendockApp::InitInstance() {
  CRavendockDlg dialog;
  dialog.OnInitDialog();
  dialog.exec();
  // A worker left blocked in a library call still borrows the window's state: the process ends
  // here rather than tear down what that thread may touch when the call returns.
  if (!dialog.DestroyWindow()) std::_Exit(0);
  return FALSE;
}
