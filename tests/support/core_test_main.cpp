// Test main for parts that need an event loop but no window system: one QCoreApplication.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Ravendock"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
