// The engine without the device library: queue operations, the upgrade completion check, the
// hand-over of items to the message-driven workers, and closing while a thread is blocked.
#include <gtest/gtest.h>

#include <condition_variable>

#include "batch/callbacks.h"
#include "batch/engine.h"
#include "batch/engine_parts.h"
#include "engine_harness.h"
#include "text/text.h"

namespace {

using batch::Engine;
using batchtest::RecordingOperations;
using batchtest::RecordingUpgrade;
using batchtest::WaitUntil;
using batchtest::WindowRecorder;
using batchtest::Zh;
using discovery::DeviceRecord;

constexpr double kSpeed = 25.0;

class EngineAlone : public testing::Test {
 protected:
  EngineAlone() { platform::SetSpeedFactor(kSpeed); }
  ~EngineAlone() override {
    engine->Stop(batchtest::kJoinMs);
    engine.reset();
    platform::SetSpeedFactor(1.0);
  }

  void Make(batch::LibraryCalls calls = {}) {
    engine = std::make_unique<Engine>(window.Link(), language, std::move(calls));
    engine->SetBatchOperations(&operations);
    engine->SetUpgradeSteps(&upgrade);
  }

  DeviceRecord records[3];
  WindowRecorder window;
  std::atomic<int> language{texts::kLanguageChinese};
  RecordingOperations operations;
  RecordingUpgrade upgrade;
  std::unique_ptr<Engine> engine;
};

TEST_F(EngineAlone, QueueOperationsThatCannotCreateTheirItemSayWhyInTheCurrentLanguage) {
  Make();
  for (int kind = 0; kind < static_cast<int>(batch::kItemKindCount); ++kind)
    engine->FailNextAllocationsForTesting(static_cast<batch::ItemKind>(kind), 1);
  DeviceRecord& record = records[0];

  record.workPhase = discovery::kPhaseBatchLogin;
  EXPECT_EQ(engine->QueueLogin(record), -1);
  EXPECT_EQ(window.LastText(record), QStringLiteral("登录内存申请失败"));
  EXPECT_EQ(batch::EngineParts::Logins(*engine).Size(), 0u);
  EXPECT_TRUE(batch::EngineParts::Logins(*engine).BatchLoginList().empty());

  EXPECT_EQ(engine->QueueVersionQuery(record, 2), -1);
  EXPECT_EQ(window.LastText(record), QStringLiteral("内存申请失败"));

  language = texts::kLanguageEnglish;
  EXPECT_EQ(engine->QueueUpload(record), -1);
  EXPECT_EQ(window.LastText(record), QStringLiteral("upload file malloc memory failed"));

  EXPECT_EQ(engine->QueueProgressWatch(record), -1);
  EXPECT_EQ(window.LastText(record),
            QStringLiteral("malloc memory failt when get upload progress"));
  // The caller judges the device, so that the completion check runs with its verdict.
  EXPECT_EQ(record.upgradeResult, discovery::kUpgradeNone);
  EXPECT_EQ(window.Count(batch::kMsgUpgradeFinished), 0);

  for (const batchtest::Posted& posted : window.RowStatus(record)) {
    EXPECT_EQ(posted.lParam, discovery::kColumnStatus);
  }
  EXPECT_EQ(batch::EngineParts::VersionQueue(*engine).Size() +
                batch::EngineParts::UploadQueue(*engine).Size() +
                batch::EngineParts::ProgressWatches(*engine).Size(),
            0u);

  // Allocation works again: the items carry their time-outs and phase.
  record.workPhase = discovery::kPhaseUpgradeRestarting;
  ASSERT_EQ(engine->QueueLogin(record), 0);
  ASSERT_EQ(engine->QueueVersionQuery(record, 3), 0);
  EXPECT_EQ(window.LastText(record), QStringLiteral("get version"));
  platform::CriticalSectionLock lock(batch::EngineParts::Logins(*engine).Lock());
  const auto logins = batch::EngineParts::Logins(*engine).Snapshot();
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_EQ(logins[0]->timeoutMs, 180000u);
  EXPECT_TRUE(batch::EngineParts::Logins(*engine).BatchLoginList().empty());
  const auto queries = batch::EngineParts::VersionQueue(*engine).Snapshot();
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0]->phase, 3);
  EXPECT_EQ(queries[0]->timeoutMs, 80000u);
}

TEST_F(EngineAlone, UpgradeCompletionIsPostedOnceWhenEveryDeviceHasAResult) {
  Make();
  EXPECT_TRUE(engine->IsUpgradeComplete());  // an empty list is complete

  engine->BeginUpgrade();
  for (DeviceRecord& record : records) engine->AddUpgradeDevice(record);
  records[0].upgradeResult = discovery::kUpgradeSucceeded;
  records[1].upgradeResult = discovery::kUpgradeFailed;
  engine->CheckUpgradeCompletion();
  EXPECT_EQ(window.Count(batch::kMsgUpgradeFinished), 0);

  records[2].upgradeResult = discovery::kUpgradeFailed;
  engine->CheckUpgradeCompletion();
  engine->CheckUpgradeCompletion();  // a second finisher at the same moment
  EXPECT_EQ(window.Count(batch::kMsgUpgradeFinished), 1);
  const batch::UpgradeCounts counts = engine->CountUpgradeResults();
  EXPECT_EQ(counts.total, 3);
  EXPECT_EQ(counts.successes, 1);
  EXPECT_EQ(counts.failures, 2);

  // The next upgrade reports its own end.
  engine->BeginUpgrade();
  engine->CheckUpgradeCompletion();
  EXPECT_EQ(window.Count(batch::kMsgUpgradeFinished), 2);
}

TEST_F(EngineAlone, ItemsTravelToTheCoordinatorAndHandlesAndRecordsArriveAsPosted) {
  Make();
  engine->Start();
  DeviceRecord& record = records[0];
  auto request = std::make_unique<batch::LoginRequest>();
  request->record = &record;
  request->loginResult = batch::kLoginSucceeded;
  const batch::LoginRequest* sent = request.get();
  ASSERT_TRUE(engine->HandToCoordinator(batch::kMsgLoginEnded, std::move(request)));
  ASSERT_TRUE(engine->PostUpgradeDevice(record));
  ASSERT_TRUE(engine->PostToCoordinator(4711, 0));  // not the coordinator's: ignored
  for (UINT message : {batch::kMsgFileTransferred, batch::kMsgTransferFailed,
                       batch::kMsgFirmwareTaken, batch::kMsgFirmwareRefused}) {
    ASSERT_TRUE(engine->PostToCoordinator(message, 77));
  }
  ASSERT_TRUE(WaitUntil([&] { return upgrade.Events().size() == 6; }, 5000));
  const auto events = upgrade.Events();
  EXPECT_EQ(events[0].message, batch::kMsgLoginEnded);
  EXPECT_EQ(events[1].message, batch::kMsgUpgradeDevice);
  const UINT handleMessages[] = {batch::kMsgFileTransferred, batch::kMsgTransferFailed,
                                 batch::kMsgFirmwareTaken, batch::kMsgFirmwareRefused};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(events[2 + i].message, handleMessages[i]);
    EXPECT_EQ(events[2 + i].loginHandle, 77);
  }
  upgrade.Inspect([&](const RecordingUpgrade& seen) {
    EXPECT_EQ(seen.logins.at(0).get(), sent);
    EXPECT_EQ(seen.devices.at(0), &record);
    return 0;
  });
}

TEST_F(EngineAlone, PollingWorkersHandTheirFinishedItemsOn) {
  Make();
  upgrade.uploadStepsUntilDone = 3;
  engine->Start();
  ASSERT_EQ(engine->QueueUpload(records[0]), 0);
  ASSERT_EQ(engine->QueueProgressWatch(records[1]), 0);
  batch::EngineParts::VerifyList(*engine).Append(&records[2]);

  // The upload request is stepped once a round until its step lets it go, then reaches the
  // coordinator as 2030.
  ASSERT_TRUE(
      WaitUntil([&] { return batch::EngineParts::UploadQueue(*engine).Size() == 0; }, 10000));
  ASSERT_TRUE(WaitUntil([&] { return upgrade.Events().size() == 1; }, 5000));
  upgrade.Inspect([&](const RecordingUpgrade& seen) {
    EXPECT_EQ(seen.events.at(0).message, batch::kMsgUploadEnded);
    EXPECT_EQ(seen.uploads.at(0)->record, &records[0]);
    EXPECT_EQ(seen.uploads.at(0)->attempts, 3);
    return 0;
  });

  // The watch and the record stay until their state changes.
  platform::Sleep(3000);
  EXPECT_EQ(batch::EngineParts::ProgressWatches(*engine).Size(), 1u);
  EXPECT_EQ(batch::EngineParts::VerifyList(*engine).Size(), 1u);
  {
    auto& watches = batch::EngineParts::ProgressWatches(*engine);
    platform::CriticalSectionLock lock(watches.Lock());
    watches.FindFirst([](const batch::ProgressWatch&) { return true; })->endState = 1;
  }
  records[2].fileCheckState = discovery::kFileCheckTaken;
  EXPECT_TRUE(
      WaitUntil([&] { return batch::EngineParts::ProgressWatches(*engine).Size() == 0; }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return batch::EngineParts::VerifyList(*engine).Size() == 0; }, 5000));
}

TEST_F(EngineAlone, BatchWorkerRunsTheBatchLoginThenTheOperationOfEachMessage) {
  Make();
  engine->Start();
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgStorageFormat, 2));
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgLoginEnded));  // not the batch worker's
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgReboot));
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgRestore));
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgSetTime));
  ASSERT_TRUE(WaitUntil([&] { return operations.CallCount() == 4; }, 5000));
  const auto calls = operations.Calls();
  EXPECT_EQ(calls[0].message, batch::kMsgStorageFormat);
  EXPECT_EQ(calls[0].diskIndex, 2);
  EXPECT_EQ(calls[1].message, batch::kMsgReboot);
  EXPECT_EQ(calls[2].message, batch::kMsgRestore);
  EXPECT_EQ(calls[3].message, batch::kMsgSetTime);
  // An empty batch device list needs no login and changes no row.
  EXPECT_EQ(window.Count(batch::kMsgRowStatus), 0);
}

TEST_F(EngineAlone, VersionQueriesAreSentAgainUntilTheLibraryTakesThem) {
  std::atomic<int> calls{0};
  batch::LibraryCalls library;
  library.systemControl = [&](int handle, int code, int, const char* text) {
    EXPECT_EQ(handle, 5);
    EXPECT_EQ(code, 1012);
    EXPECT_STREQ(text, "RESPONSE_PARAM");
    return ++calls < 3 ? -1 : 0;
  };
  Make(library);
  records[0].loginHandle = 5;
  engine->Start();
  ASSERT_EQ(engine->QueueVersionQuery(records[0], 2), 0);
  ASSERT_TRUE(WaitUntil([&] { return calls.load() == 3; }, 10000));
  platform::Sleep(4000);
  EXPECT_EQ(calls.load(), 3);  // sent: never again
  {
    auto& queue = batch::EngineParts::VersionQueue(*engine);
    platform::CriticalSectionLock lock(queue.Lock());
    ASSERT_EQ(queue.Size(), 1u);
    EXPECT_EQ(queue.Snapshot()[0]->state, batch::kQuerySent);
  }
  // Unanswered, it goes back to the coordinator after its 80000 ms.
  ASSERT_TRUE(WaitUntil([&] { return upgrade.Events().size() == 1; }, 90000));
  EXPECT_EQ(batch::EngineParts::VersionQueue(*engine).Size(), 0u);
  upgrade.Inspect([&](const RecordingUpgrade& seen) {
    EXPECT_EQ(seen.events[0].message, batch::kMsgVersionQueryEnded);
    EXPECT_EQ(seen.queries.at(0)->state, batch::kQuerySent);
    EXPECT_GT(seen.queries.at(0)->firstSeenTime, 0u);
    return 0;
  });
}

TEST_F(EngineAlone, ClosingDoesNotWaitForAThreadBlockedInTheLibrary) {
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool released = false;
  batch::LibraryCalls library;
  library.login = [&](const char*, int, const char*, const char*) {
    std::unique_lock lock(mutex);
    entered = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
    return 9;
  };
  Make(library);
  engine->Start();
  records[0].workPhase = discovery::kPhaseBatchLogin;
  ASSERT_EQ(engine->QueueLogin(records[0]), 0);
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return entered; }));
  }
  EXPECT_FALSE(engine->Stop(10000));
  EXPECT_TRUE(engine->IsRunning(batch::Worker::kLoginWorker));
  for (batch::Worker worker : {batch::Worker::kBatchWorker, batch::Worker::kUpgradeCoordinator,
                               batch::Worker::kVersionQueryWorker, batch::Worker::kUploadWorker,
                               batch::Worker::kProgressPoller, batch::Worker::kVerifyWatcher}) {
    EXPECT_FALSE(engine->IsRunning(worker));
  }
  {
    std::lock_guard lock(mutex);
    released = true;
  }
  changed.notify_all();
  // Released, the left-behind thread ends without touching what it had: the handle it got back
  // was never stored.
  EXPECT_TRUE(WaitUntil([&] { return !engine->IsRunning(batch::Worker::kLoginWorker); }, 5000));
  EXPECT_EQ(records[0].loginHandle, 0);
}

}  // namespace
