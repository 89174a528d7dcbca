// The status and response callbacks, driven by the device library's answers from the camera
// simulator; the answer texts the simulator never writes are handed to the callback directly.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "batch/config_response_codes.h"
#include "batch/engine_parts.h"
#include "sim/detail/config_document.h"
#include "sim_fixture.h"
#include "wire/firmware.h"

namespace {

using batchtest::EngineOnSim;
using batchtest::WaitUntil;
using discovery::DeviceRecord;

constexpr char kTimeRequest[] =
    "<REQUEST_PARAM\r\nTime=\"20260102 03:04:05\"\r\nTimeZone=\"4800\"\n/>";

class Callbacks : public EngineOnSim {
 protected:
  void StartLoggedIn(camsim::Scenario scenario) {
    Start(std::move(scenario));
    LogInAll();
  }
  int Handle(int device) const { return records[device]->loginHandle; }
};

TEST_F(Callbacks, TimeAnswersSettleTheTimeSyncPendingRecord) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[1].faults.refuseCodes.insert(1005);
  StartLoggedIn(scenario);
  batch::EngineParts::TimeSyncPending(*engine).Append(records[0].get());
  batch::EngineParts::TimeSyncPending(*engine).Append(records[1].get());
  for (int device = 0; device < 3; ++device) {
    ASSERT_EQ(IP_NET_DVR_SystemControl(Handle(device), 1005, 0, kTimeRequest), 0);
  }
  ASSERT_TRUE(WaitUntil(
      [&] {
        return records[0]->timeSyncState != discovery::kStateWaiting &&
               records[1]->timeSyncState != discovery::kStateWaiting;
      },
      5000));
  EXPECT_EQ(records[0]->timeSyncState, discovery::kStateDone);
  EXPECT_EQ(records[1]->timeSyncState, discovery::kStateFailed);
  EXPECT_EQ(batch::EngineParts::TimeSyncPending(*engine).Size(),
            2u);  // the batch worker empties it
  platform::Sleep(2000);
  EXPECT_EQ(records[2]->timeSyncState,
            discovery::kStateWaiting);  // answered, but not pending: nothing
}

TEST_F(Callbacks, AVersionAnswerReachesTheCoordinatorWithItsTextAndAnUnansweredOneTimesOut) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  scenario.devices[0].version = "V7.1.2 build 2031";
  scenario.devices[1].faults.ignoreCodes.insert(1012);
  StartLoggedIn(scenario);
  ASSERT_EQ(engine->QueueVersionQuery(*records[0], discovery::kPhaseUpgradeBeforeTransfer), 0);
  ASSERT_EQ(engine->QueueVersionQuery(*records[1], discovery::kPhaseUpgradeRestarting), 0);
  EXPECT_EQ(window.LastText(*records[0]), batchtest::Zh(texts::kTextGetVersion));

  ASSERT_TRUE(WaitUntil([&] { return upgrade.Events().size() == 2; }, 90000));
  EXPECT_EQ(batch::EngineParts::VersionQueue(*engine).Size(), 0u);
  upgrade.Inspect([&](const batchtest::RecordingUpgrade& seen) {
    const batch::VersionQuery& answered = *seen.queries.at(0);
    EXPECT_EQ(answered.record, records[0].get());
    EXPECT_EQ(answered.state, batch::kQueryAnswered);
    EXPECT_EQ(answered.phase, 2);
    EXPECT_NE(
        std::string(answered.responseText.data()).find("FileSystemVersion=\"V7.1.2 build 2031\""),
        std::string::npos);
    const batch::VersionQuery& silent = *seen.queries.at(1);
    EXPECT_EQ(silent.record, records[1].get());
    EXPECT_EQ(silent.state, batch::kQuerySent);
    EXPECT_EQ(silent.phase, 3);
    EXPECT_STREQ(silent.responseText.data(), "");
    return 0;
  });
  EXPECT_EQ(sim().GetJournal().Find(records[1]->info.Serial(), 1012).size(), 1u);
}

TEST_F(Callbacks, StorageAnswersGiveTheTotalsAndLeaveThePendingList) {
  camsim::Scenario scenario = testsupport::Cameras(4);
  for (auto& device : scenario.devices) {
    device.sd1 = 30436;
    device.sd2 = 15000;
    device.usb = 64000;
  }
  scenario.devices[1].faults.shortStorage = true;
  scenario.devices[3].faults.refuseCodes.insert(1014);
  StartLoggedIn(scenario);
  for (int device : {0, 1, 3})
    batch::EngineParts::StoragePending(*engine).Append(records[device].get());
  for (int device = 0; device < 4; ++device) {
    ASSERT_EQ(IP_NET_DVR_SystemControl(Handle(device), 1014, 0, ""), 0);
  }
  ASSERT_TRUE(
      WaitUntil([&] { return batch::EngineParts::StoragePending(*engine).Size() == 1; }, 5000));
  EXPECT_EQ(records[0]->storageInfoReceived, 1);
  EXPECT_EQ(records[0]->sd1Total, 30436);
  EXPECT_EQ(records[0]->sd2Total, 15000);
  EXPECT_EQ(records[0]->usbTotal, 64000);
  EXPECT_EQ(records[1]->storageInfoReceived, 1);
  EXPECT_EQ(records[1]->sd2Total, 15000);
  EXPECT_EQ(records[1]->usbTotal, 0);  // two "Total=" only: the USB reports as not mounted
  platform::Sleep(2000);
  EXPECT_EQ(records[2]->storageInfoReceived, 0);  // not pending
  EXPECT_EQ(records[3]->storageInfoReceived, 0);  // refused: nothing
  EXPECT_TRUE(batch::EngineParts::StoragePending(*engine).Contains(records[3].get()));
}

TEST_F(Callbacks, StorageTextsWithoutTotalsOrClosingQuoteAreReadAsFarAsTheyGo) {
  StartLoggedIn(testsupport::Cameras(1));
  DeviceRecord& record = *records[0];
  const struct {
    const char* text;
    int sd1, sd2, usb;
  } answers[] = {
      {"<Storage/>", 0, 0, 0},
      {nullptr, 0, 0, 0},
      {"<Disk Total=\"128\"/><Disk Total=\"-1", 128, -1, 0},
  };
  for (const auto& answer : answers) {
    record.sd1Total = record.sd2Total = record.usbTotal = 55;
    record.storageInfoReceived = 0;
    batch::EngineParts::StoragePending(*engine).Append(&record);
    batch::ResponseCallback(Handle(0), 1014, answer.text, engine.get());
    EXPECT_EQ(record.storageInfoReceived, 1);
    EXPECT_EQ(record.sd1Total, answer.sd1);
    EXPECT_EQ(record.sd2Total, answer.sd2);
    EXPECT_EQ(record.usbTotal, answer.usb);
    EXPECT_FALSE(batch::EngineParts::StoragePending(*engine).Contains(&record));
  }
}

TEST_F(Callbacks, AFormatAnswerSettlesOnlyAPendingDeviceAndOnlyForTheDiskItFormats) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  for (auto& device : scenario.devices) device.sd1 = device.sd2 = 1024;
  scenario.devices[1].faults.failFormat = true;
  StartLoggedIn(scenario);
  for (auto& record : records) {
    record->diskIndex = 1;
    batch::EngineParts::FormatPending(*engine).Append(record.get());
  }
  for (int device = 0; device < 2; ++device) ASSERT_EQ(IP_NET_DVR_FormatDisk(Handle(device), 0), 0);
  ASSERT_TRUE(
      WaitUntil([&] { return batch::EngineParts::FormatPending(*engine).Size() == 0; }, 20000));
  EXPECT_EQ(records[0]->formatState, discovery::kStateDone);
  EXPECT_EQ(records[1]->formatState, discovery::kStateFailed);

  // A second answer after the record left the pending list changes nothing.
  records[0]->formatState = discovery::kStateWaiting;
  ASSERT_EQ(IP_NET_DVR_FormatDisk(Handle(0), 0), 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return sim().GetJournal().Find(records[0]->info.Serial(), 1017).size() == 2; }, 5000));
  platform::Sleep(10000);  // longer than the device takes to answer
  EXPECT_EQ(records[0]->formatState, discovery::kStateWaiting);

  // Formatting SD2 now: a late SD1 answer is not SD2's, the SD2 answer is.
  records[0]->diskIndex = 2;
  batch::EngineParts::FormatPending(*engine).Append(records[0].get());
  ASSERT_EQ(IP_NET_DVR_FormatDisk(Handle(0), 0), 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return sim().GetJournal().Find(records[0]->info.Serial(), 1017).size() == 3; }, 5000));
  platform::Sleep(10000);
  EXPECT_EQ(records[0]->formatState, discovery::kStateWaiting);
  EXPECT_TRUE(batch::EngineParts::FormatPending(*engine).Contains(records[0].get()));
  ASSERT_EQ(IP_NET_DVR_FormatDisk(Handle(0), 1), 0);
  ASSERT_TRUE(
      WaitUntil([&] { return batch::EngineParts::FormatPending(*engine).Size() == 0; }, 20000));
  EXPECT_EQ(records[0]->formatState, discovery::kStateDone);
}

TEST_F(Callbacks, ConfigurationAnswersSetTheFlagOfTheirGroup) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  scenario.devices[1].faults.refuseCodes.insert(523);  // video encoding
  StartLoggedIn(scenario);
  for (auto& record : records)
    ASSERT_TRUE(batch::EngineParts::PushList(*engine).Append(record.get()));
  for (int device = 0; device < 2; ++device) {
    for (int code : batch::kConfigResponseCodes) {
      const std::string document =
          std::string("<") + camsim::detail::ConfigRootElement(code) + " Enable=\"1\" />";
      ASSERT_EQ(IP_NET_DVR_SetDVRConfig(Handle(device), code, 0, document.c_str(),
                                        static_cast<int>(document.size()) + 1),
                0);
    }
  }
  auto settled = [&] {
    for (const auto& record : records) {
      for (const auto& flag : record->responseFlags) {
        if (flag == 0) return false;
      }
    }
    return true;
  };
  ASSERT_TRUE(WaitUntil(settled, 10000));
  for (std::size_t group = 0; group < batch::kConfigResponseCodes.size(); ++group) {
    EXPECT_EQ(records[0]->responseFlags[group], 1) << batch::kConfigResponseCodes[group];
    EXPECT_EQ(records[1]->responseFlags[group], group == 8 ? -1 : 1)
        << batch::kConfigResponseCodes[group];
  }
}

TEST_F(Callbacks, FirmwareEventsAndTheDevicesVerdictReachTheCoordinator) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  scenario.devices[1].faults.refuseFirmware = true;
  scenario.devices[2].faults.failAtPercent = 50;
  StartLoggedIn(scenario);
  const std::vector<std::uint8_t> payload(96 * 1024, 0x5A);
  const std::vector<std::uint8_t> file = wire::BuildFirmware("V9.0.0 build 2040", "", payload);
  const std::string path = testing::TempDir() + "batch_callbacks_firmware.bin";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  for (int device = 0; device < 3; ++device) {
    ASSERT_EQ(IP_NET_DVR_Upgrade(Handle(device), path.c_str()), 0);
  }
  auto seen = [&](UINT message, int handle) {
    const auto events = upgrade.Events();
    return std::any_of(events.begin(), events.end(), [&](const auto& event) {
      return event.message == message && event.loginHandle == handle;
    });
  };
  ASSERT_TRUE(WaitUntil([&] { return seen(batch::kMsgFirmwareTaken, Handle(0)); }, 60000));
  ASSERT_TRUE(WaitUntil([&] { return seen(batch::kMsgFirmwareRefused, Handle(1)); }, 60000));
  ASSERT_TRUE(WaitUntil([&] { return seen(batch::kMsgTransferFailed, Handle(2)); }, 60000));
  EXPECT_TRUE(seen(batch::kMsgFileTransferred, Handle(0)));
  EXPECT_TRUE(seen(batch::kMsgFileTransferred, Handle(1)));
  EXPECT_FALSE(seen(batch::kMsgFileTransferred, Handle(2)));
  EXPECT_FALSE(seen(batch::kMsgFirmwareRefused, Handle(0)));
  std::remove(path.c_str());
}

}  // namespace
