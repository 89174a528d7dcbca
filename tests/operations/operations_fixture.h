// The real main window against the camera simulator, for the batch instructions: a scenario per
// test, the devices found by a real search, runs started with button 1014 or a hidden button,
// and the rows and the simulator's journal read back.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window_controls.h"
#include "batch/instruction_table.h"
#include "batch/run_controller.h"
#include "discovery/device_table.h"
#include "platform/host_address.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "ui/report_ctrl.h"

namespace optest {

using testsupport::RunUntil;

using discovery::kColumnAllNetwork;
using discovery::kColumnIp;
using discovery::kColumnSerial;
using discovery::kColumnStatus;

class OperationsTest : public testsupport::AppFixture {
 protected:
  void BeforeInit() override {
    platform::SetPcAddressForTesting("192.168.1.3");
    m_network = std::make_unique<testsupport::SimNetwork>(
        testsupport::Cameras(3), testsupport::kTestSpeedFactor, m_protocol);
  }
  void TearDown() override {
    AppFixture::TearDown();
    m_network.reset();
    platform::SetPcAddressForTesting(std::nullopt);
  }

  // A fresh window on a fresh simulated LAN.
  void StartWith(camsim::Scenario scenario) {
    CloseWindow();
    m_network.reset();
    m_network = std::make_unique<testsupport::SimNetwork>(
        std::move(scenario), testsupport::kTestSpeedFactor, m_protocol);
    OpenWindow();
  }

  camsim::Simulator& sim() { return m_network->simulator(); }

  // Which face the simulator shows, and so which backend the library uses; set before Init.
  camsim::Protocol m_protocol = camsim::Protocol::kFramed;

  void SetExpectedCount(int count) {
    window().DlgItem<QComboBox>(1020)->setCurrentIndex(count - 1);
    window().OnSelchangeExpectedCount();
  }

  // Lists count devices with a search outside a run; every row checked.
  void FindDevices(int count) {
    SetExpectedCount(count);
    window().Devices().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
    ASSERT_EQ(window().Devices().TotalCount(), count);
  }

  // Exactly these instructions checked.
  void Choose(std::initializer_list<int> rows) {
    for (int row = 0; row < batch::kInstructionCount; ++row)
      window().CheckDlgButton(app::InstructionCheckBox(row), false);
    for (int row : rows) window().CheckDlgButton(app::InstructionCheckBox(row), true);
  }

  void ClickRun() { window().DlgItem<QPushButton>(1014)->click(); }
  void Click(int id) { window().DlgItem<QPushButton>(id)->click(); }

  // Runs the event loop until the run has ended (real milliseconds).
  bool WaitForRunEnd(int realLimitMs = 60000) {
    return RunUntil([&] { return !window().Runs().IsRunning(); }, realLimitMs);
  }

  CReportCtrl& list() { return window().DeviceList(); }
  QString Cell(int row, int column) { return list().GetItemText(row, column); }
  int RowOf(const std::string& serial) {
    for (int row = 0; row < list().GetItemCount(); ++row)
      if (Cell(row, kColumnSerial) == QString::fromStdString(serial)) return row;
    return -1;
  }
  QString StatusOf(const std::string& serial) {
    const int row = RowOf(serial);
    return row < 0 ? QString() : Cell(row, kColumnStatus);
  }

  std::vector<camsim::JournalEntry> Journal(const std::string& serial, std::uint32_t code) {
    return sim().GetJournal().Find(serial, code);
  }

  std::vector<QString> ShownTexts() {
    std::vector<QString> texts;
    for (const auto& shown : dialogs().shown()) texts.push_back(shown.text);
    return texts;
  }

 private:
  std::unique_ptr<testsupport::SimNetwork> m_network;
};

// A test that runs on either backend: the simulator shows the same devices over the framed
// protocol or over ONVIF, and journals an ONVIF operation under its framed counterpart's code.
class BackendTest : public OperationsTest, public ::testing::WithParamInterface<camsim::Protocol> {
 protected:
  void BeforeInit() override {
    m_protocol = GetParam();
    OperationsTest::BeforeInit();
  }
};

inline const auto kBothBackends =
    ::testing::Values(camsim::Protocol::kFramed, camsim::Protocol::kOnvif);
inline std::string BackendName(const ::testing::TestParamInfo<camsim::Protocol>& info) {
  return info.param == camsim::Protocol::kFramed ? "Framed" : "Onvif";
}

}  // namespace optest
