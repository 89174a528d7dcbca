// A main window for tests: its own directory for config.dat, scripted message boxes, and
// OnInitDialog already run.
#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/ravendock_dlg.h"
#include "config/config_set.h"
#include "platform/clock.h"
#include "platform/dialog_service.h"

namespace testsupport {

class AppFixture : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_directory.isValid());
    platform::SetDialogService(&m_dialogs);
    // The configuration set is process-wide: every test starts as a fresh process would.
    config::ProcessConfigSet().Clear();
    BeforeInit();
    OpenWindow();
  }

  void TearDown() override {
    m_window.reset();
    platform::SetDialogService(nullptr);
    platform::SetSpeedFactor(1.0);
  }

  // For fixtures that prepare config.dat or the clock before the window starts.
  virtual void BeforeInit() {}

  void CloseWindow() { m_window.reset(); }

  // Closes the window (if open) and starts a new one on the same directory, as a restart would.
  void OpenWindow() {
    m_window.reset();
    m_window = std::make_unique<CRavendockDlg>(m_directory.path(), m_library);
    m_window->OnInitDialog();
  }

  // The device library calls the next window's engine makes.
  void SetLibraryCalls(batch::LibraryCalls library) { m_library = std::move(library); }

  CRavendockDlg& window() { return *m_window; }
  platform::ScriptedDialogs& dialogs() { return m_dialogs; }
  QString directory() const { return m_directory.path(); }
  QString configPath() const { return m_directory.filePath(QStringLiteral("config.dat")); }

 private:
  QTemporaryDir m_directory;
  platform::ScriptedDialogs m_dialogs;
  batch::LibraryCalls m_library;
  std::unique_ptr<CRavendockDlg> m_window;
};

}  // namespace testsupport
