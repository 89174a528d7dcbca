// The engine against the camera simulator: real device library, loopback, sped-up clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "batch/callbacks.h"
#include "batch/engine.h"
#include "batch/login_worker.h"
#include "engine_harness.h"
#include "support/sim_network.h"

namespace batchtest {

class EngineOnSim : public testing::Test {
 protected:
  void TearDown() override {
    network.reset();  // no callback reaches the engine after this
    if (engine) {
      EXPECT_TRUE(engine->Stop(kJoinMs));
    }
    engine.reset();
  }

  void Start(camsim::Scenario scenario, batch::LibraryCalls calls = {}) {
    for (const camsim::DeviceConfig& device : scenario.devices)
      records.push_back(MakeRecord(device));
    network = std::make_unique<testsupport::SimNetwork>(std::move(scenario));
    engine = std::make_unique<batch::Engine>(window.Link(), language, std::move(calls));
    engine->SetBatchOperations(&operations);
    engine->SetUpgradeSteps(&upgrade);
    batch::RegisterCallbacks(*engine);
    engine->Start();
  }

  camsim::Simulator& sim() { return network->simulator(); }

  std::vector<discovery::DeviceRecord*> Records() {
    std::vector<discovery::DeviceRecord*> all;
    for (auto& record : records) all.push_back(record.get());
    return all;
  }

  int Logins(int device) {
    return static_cast<int>(sim().GetJournal().Find(records[device]->info.Serial(), 1004).size());
  }

  // Runs a batch worker message over the devices; true once its operation has been called,
  // which is after the batch login.
  bool RunBatch(std::vector<discovery::DeviceRecord*> devices, DWORD limitMs = 60000) {
    engine->SetBatchDevices(std::move(devices));
    const int before = operations.CallCount();
    if (!engine->PostToBatchWorker(batch::kMsgReboot)) return false;
    return WaitUntil([&] { return operations.CallCount() > before; }, limitMs);
  }

  // Logs every device in through the synchronous login.
  void LogInAll() {
    for (auto& record : records) ASSERT_EQ(batch::LoginAndWait(*engine, *record), 0);
  }

  // Records first: they outlive the engine's threads.
  std::vector<std::unique_ptr<discovery::DeviceRecord>> records;
  WindowRecorder window;
  std::atomic<int> language{texts::kLanguageChinese};
  RecordingOperations operations;
  RecordingUpgrade upgrade;
  std::unique_ptr<batch::Engine> engine;
  std::unique_ptr<testsupport::SimNetwork> network;
};

}  // namespace batchtest
