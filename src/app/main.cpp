// ravendock: prepares many IP cameras on one local network at once.
#include <QApplication>

#include "app/ravendock_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ravendock"));
  CRavendockApp app;
  return app.InitInstance();
}
