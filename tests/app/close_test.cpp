// Closing the main window while the batch worker waits on device logins: the worker threads are
// asked to stop and the window does not wait for the logins' time-out.
#include <gtest/gtest.h>

#include <QComboBox>

#include "batch/engine.h"
#include "batch/messages.h"
#include "discovery/device_table.h"
#include "support/app_fixture.h"
#include "support/event_loop.h"
#include "support/sim_network.h"
#include "ui/report_ctrl.h"

namespace {

using testsupport::RunUntil;

class Closing : public testsupport::AppFixture {
 protected:
  void BeforeInit() override {
    camsim::Scenario scenario = testsupport::Cameras(3);
    for (auto& device : scenario.devices) device.faults.ignoreLogin = true;
    network = std::make_unique<testsupport::SimNetwork>(scenario);
  }
  void TearDown() override {
    AppFixture::TearDown();
    network.reset();
  }
  std::unique_ptr<testsupport::SimNetwork> network;
};

TEST_F(Closing, DoesNotWaitForLoginsThatNeverAnswer) {
  window().DlgItem<QComboBox>(1020)->setCurrentIndex(2);
  window().OnSelchangeExpectedCount();
  window().Devices().StartSearch();
  ASSERT_TRUE(RunUntil([&] { return window().IsDlgItemEnabled(1002); }, 30000));
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

}  // namespace
