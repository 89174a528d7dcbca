// Closing the main window while workers are busy: the worker threads are asked to stop and the
// window does not wait for logins or library calls that never end.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include "batch/engine.h"
#include "batch/messages.h"
#include "discovery/device_table.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "ui/report_ctrl.h"

namespace {

using testsupport::RunUntil;

// Three cameras, each with the fault a test gives it, found by a search.
class Closing : public testsupport::AppFixture {
 protected:
  virtual void Fault(camsim::DeviceFaults& faults) = 0;

  void BeforeInit() override {
    camsim::Scenario scenario = testsupport::Cameras(3);
    for (auto& device : scenario.devices) Fault(device.faults);
    network = std::make_unique<testsupport::SimNetwork>(scenario);
  }
  void TearDown() override {
    AppFixture::TearDown();
    network.reset();
  }
  void FindDevices() {
    window().DlgItem<QComboBox>(1020)->setCurrentIndex(2);
    window().OnSelchangeExpectedCount();
    window().Devices().StartSearch();
    ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
  }
  std::unique_ptr<testsupport::SimNetwork> network;
};

class ClosingWhileLoggingIn : public Closing {
  void Fault(camsim::DeviceFaults& faults) override { faults.ignoreLogin = true; }
};

TEST_F(ClosingWhileLoggingIn, DoesNotWaitForLoginsThatNeverAnswer) {
  FindDevices();
  window().Engine().SetBatchDevices(window().Devices().CheckedRecords());
  ASSERT_TRUE(window().Engine().PostToBatchWorker(batch::kMsgReboot));
  ASSERT_TRUE(RunUntil(
      [&] { return window().DeviceList().GetItemText(0, 6) == QStringLiteral("正在登录"); }));

  const DWORD start = platform::GetTickCount();
  window().DestroyWindow();
  // Well inside the 18-second login time-out the batch worker is waiting on.
  EXPECT_LT(platform::GetTickCount() - start, 18000u);
  EXPECT_FALSE(window().Engine().IsRunning(batch::Worker::kBatchWorker));
  EXPECT_FALSE(window().Engine().IsRunning(batch::Worker::kLoginWorker));
}

// A worker blocked in a library call when the operator closes the window with the caption
// button: the close asks and does not wait, and the application's own DestroyWindow after the
// modal loop must still learn that a thread was left behind, so that it ends the process
// instead of tearing down what that thread uses.
class ClosingDuringACall : public Closing {
  void Fault(camsim::DeviceFaults& faults) override { faults.ignoreCodes.insert(1001); }
};

TEST_F(ClosingDuringACall, TheCaptionButtonCloseStillReportsTheThreadLeftBehind) {
  FindDevices();
  window().DlgItem<QPushButton>(1034)->click();  // reboot, which the devices never answer
  ASSERT_TRUE(RunUntil(
      [&] { return !network->simulator().GetJournal().Find("SN1000", 1001).empty(); }, 30000));

  window().show();
  window().close();
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(window().DestroyWindow());
  // Once the call has returned, the worker sees the stop and ends.
  ASSERT_TRUE(
      RunUntil([&] { return !window().Engine().IsRunning(batch::Worker::kBatchWorker); }, 30000));
  EXPECT_TRUE(window().DestroyWindow());
}

}  // namespace
