// The application object: shows the main window modally and ends the process when it closes.
#pragma once

class CRavendockApp {
 public:
  // Returns FALSE: there is no message loop after the main window's own.
  int InitInstance();
};
