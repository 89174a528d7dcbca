// Device logins against the camera simulator: the batch login, the login worker's time-outs and
// after-upgrade rule, the synchronous login, and logins whose outcome comes early, never or in a
// flood of strangers' events.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <condition_variable>
#include <map>
#include <set>
#include <thread>

#include "batch/engine_parts.h"
#include "sim_fixture.h"

namespace {

using batchtest::EngineOnSim;
using batchtest::WaitUntil;
using batchtest::Zh;
using discovery::DeviceRecord;

void ClearPort(DeviceRecord& record) {
  std::memset(record.info.data() + sdk::DeviceInfoBlock::kPort.offset, 0,
              sdk::DeviceInfoBlock::kPort.size);
}

class BatchLogin : public EngineOnSim {};

TEST_F(BatchLogin, LogsInEveryDeviceAndRetriesARefusedCallEveryRoundUntilTheTimeOut) {
  std::mutex mutex;
  std::map<std::string, int> attempts;
  std::vector<int> reconnecting;
  batch::LibraryCalls calls;
  calls.login = [&](const char* ip, int port, const char* user, const char* password) {
    {
      std::lock_guard lock(mutex);
      ++attempts[ip];
    }
    return IP_NET_DVR_Login(ip, port, user, password, nullptr);
  };
  calls.setAutoReconnect = [&](int handle, int enable) {
    EXPECT_EQ(enable, 1);
    std::lock_guard lock(mutex);
    reconnecting.push_back(handle);
    return IP_NET_DVR_SetAutoReconnect(handle, enable);
  };
  Start(testsupport::Cameras(3), calls);
  ClearPort(*records[2]);  // the library refuses the call itself: no handle

  const DWORD start = platform::GetTickCount();
  ASSERT_TRUE(RunBatch(Records()));
  for (int device : {0, 1}) {
    const DeviceRecord& record = *records[device];
    EXPECT_GT(record.loginHandle, 0);
    EXPECT_EQ(record.loginState, discovery::kLoginConfirmed);
    EXPECT_EQ(record.workPhase, discovery::kPhaseBatchLogin);
    const auto shown = window.RowStatus(record);
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.front().text, Zh(texts::kTextLoggingIn));
    EXPECT_EQ(shown.back().text, Zh(texts::kTextLoginOk));
    for (const auto& posted : shown) EXPECT_EQ(posted.lParam, discovery::kColumnStatus);
    EXPECT_EQ(Logins(device), 1);
  }
  EXPECT_EQ(window.LastText(*records[2]), Zh(texts::kTextLoginFailed));
  EXPECT_EQ(records[2]->loginState, discovery::kLoginRefused);
  EXPECT_EQ(records[2]->loginHandle, 0);
  EXPECT_GE(platform::GetTickCount() - start, 18000u);

  std::lock_guard lock(mutex);
  EXPECT_EQ(attempts[records[0]->info.Ip()], 1);
  // Once a round for 18 s: a sped-up clock on a busy machine may lose a few rounds.
  EXPECT_GE(attempts[records[2]->info.Ip()], 10);
  EXPECT_LE(attempts[records[2]->info.Ip()], 20);
  EXPECT_EQ(std::set<int>(reconnecting.begin(), reconnecting.end()),
            (std::set<int>{records[0]->loginHandle, records[1]->loginHandle}));
}

TEST_F(BatchLogin, LeavesLoggedInDevicesAloneAndChangesNoTextWhenAllAreLoggedIn) {
  Start(testsupport::Cameras(3));
  ASSERT_EQ(batch::LoginAndWait(*engine, *records[0]), 0);
  ASSERT_EQ(batch::LoginAndWait(*engine, *records[1]), 0);
  const int firstHandle = records[0]->loginHandle;

  ASSERT_TRUE(RunBatch(Records()));
  EXPECT_EQ(records[0]->loginHandle, firstHandle);
  for (int device = 0; device < 3; ++device) EXPECT_EQ(Logins(device), 1);
  EXPECT_EQ(records[2]->loginState, discovery::kLoginConfirmed);
  for (const auto& posted : window.RowStatus(*records[0])) {
    EXPECT_EQ(posted.text, Zh(texts::kTextLoginOk));
  }

  window.Clear();
  ASSERT_TRUE(RunBatch(Records()));
  EXPECT_EQ(window.Count(batch::kMsgRowStatus), 0);
  for (int device = 0; device < 3; ++device) EXPECT_EQ(Logins(device), 1);
}

TEST_F(BatchLogin, ARefusedLoginShowsLoginFailedOnlyAfterTheEighteenSecondTimeOut) {
  camsim::Scenario scenario = testsupport::Cameras(2);
  scenario.devices[1].faults.refuseLogin = true;
  Start(scenario);

  const DWORD start = platform::GetTickCount();
  ASSERT_TRUE(RunBatch(Records()));
  const auto shown = window.RowStatus(*records[1]);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back().text, Zh(texts::kTextLoginFailed));
  EXPECT_GE(shown.back().tick - start, 18000u);
  for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
    EXPECT_NE(shown[i].text, Zh(texts::kTextLoginFailed));
  }
  EXPECT_EQ(records[1]->loginState, discovery::kLoginRefused);
  EXPECT_EQ(records[1]->loginHandle, 0);

  // The good device is reported at once, while the other one still waits for its time-out.
  const auto good = window.RowStatus(*records[0]);
  const auto firstOk = std::find_if(good.begin(), good.end(), [](const batchtest::Posted& p) {
    return p.text == Zh(texts::kTextLoginOk);
  });
  ASSERT_NE(firstOk, good.end());
  EXPECT_LT(firstOk->tick - start, 18000u);
  EXPECT_EQ(good.back().text, Zh(texts::kTextLoginOk));
}

TEST_F(BatchLogin, AfterAnUpgradeTheFirstAttemptWaitsFifteenSecondsAndTheRowCountsSeconds) {
  camsim::Scenario scenario = testsupport::Cameras(1);
  scenario.devices[0].timings.loginMs = 4000;  // a device still busy restarting
  Start(scenario);
  language = texts::kLanguageEnglish;
  DeviceRecord& record = *records[0];
  record.workPhase = discovery::kPhaseUpgradeRestarting;

  const DWORD start = platform::GetTickCount();
  ASSERT_EQ(engine->QueueLogin(record), 0);
  ASSERT_TRUE(WaitUntil([&] { return upgrade.Events().size() == 1; }, 60000));

  upgrade.Inspect([&](const batchtest::RecordingUpgrade& seen) {
    EXPECT_EQ(seen.events[0].message, batch::kMsgLoginEnded);
    const batch::LoginRequest& request = *seen.logins.at(0);
    EXPECT_EQ(request.record, &record);
    EXPECT_EQ(request.timeoutMs, 180000u);
    EXPECT_EQ(request.loginResult, batch::kLoginSucceeded);
    EXPECT_EQ(request.loginHandle, record.loginHandle.load());
    EXPECT_GE(request.lastAttemptTime - request.firstSeenTime, 15000u);
    EXPECT_LT(request.firstSeenTime - start, 1500u);
    return 0;
  });
  EXPECT_EQ(record.loginState, discovery::kLoginConfirmed);
  EXPECT_EQ(Logins(0), 1);

  const QRegularExpression pattern(
      QStringLiteral("^device rebooted, trying to login (\\d+)\\(s\\)$"));
  const auto shown = window.RowStatus(record);
  ASSERT_GE(shown.size(), 2u);
  EXPECT_GE(shown.front().tick - start, 15000u);
  int previous = -1;
  for (const auto& posted : shown) {
    const QRegularExpressionMatch match = pattern.match(posted.text);
    ASSERT_TRUE(match.hasMatch()) << posted.text.toStdString();
    const int seconds = match.captured(1).toInt();
    EXPECT_GE(seconds, previous);
    if (previous < 0) {
      EXPECT_EQ(seconds, 0);
    }
    previous = seconds;
  }
  EXPECT_GE(previous, 2);
}

// Forwards to the engine's status callback and notes whose outcome has been delivered.
struct DeliveredOutcomes {
  static int Forward(int handle, int event, int value, void* user) {
    batch::StatusCallback(handle, event, value, user);
    if (event == sdk::kEventLoginOk || event == sdk::kEventLoginFailed) {
      std::lock_guard lock(mutex);
      handles.insert(handle);
      changed.notify_all();
    }
    return 0;
  }
  static bool WaitFor(int handle) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(5),
                            [&] { return handles.count(handle) > 0; });
  }
  static inline std::mutex mutex;
  static inline std::condition_variable changed;
  static inline std::set<int> handles;
};

TEST_F(BatchLogin, AnOutcomeDeliveredBeforeTheHandleIsStoredStillCompletesTheLogin) {
  std::atomic<int> early{0};
  batch::LibraryCalls calls;
  // The login call returns only once the library has delivered the outcome of its handle.
  calls.login = [&](const char* ip, int port, const char* user, const char* password) {
    const int handle = IP_NET_DVR_Login(ip, port, user, password, nullptr);
    if (handle > 0 && DeliveredOutcomes::WaitFor(handle)) ++early;
    return handle;
  };
  Start(testsupport::Cameras(2), calls);
  IP_NET_DVR_SetStatusEventCallBack(DeliveredOutcomes::Forward, engine.get());

  const DWORD start = platform::GetTickCount();
  ASSERT_TRUE(RunBatch(Records()));
  EXPECT_EQ(early.load(), 2);
  for (int device = 0; device < 2; ++device) {
    EXPECT_EQ(records[device]->loginState, discovery::kLoginConfirmed);
    EXPECT_EQ(window.LastText(*records[device]), Zh(texts::kTextLoginOk));
    EXPECT_EQ(Logins(device), 1);
  }
  // Well inside the time-out that a lost outcome would have run into.
  EXPECT_LT(platform::GetTickCount() - start, 18000u);
}

TEST_F(BatchLogin, WithTheSimulatorGoneMidwayTheLoginsTimeOutAndEveryRowSaysWhy) {
  camsim::Scenario scenario = testsupport::Cameras(3);
  for (auto& device : scenario.devices) device.timings.loginMs = 6000;
  Start(scenario);

  engine->SetBatchDevices(Records());
  ASSERT_TRUE(engine->PostToBatchWorker(batch::kMsgSetTime));
  ASSERT_TRUE(WaitUntil([&] { return Logins(0) + Logins(1) + Logins(2) == 3; }, 10000));
  sim().Stop();

  ASSERT_TRUE(WaitUntil([&] { return operations.CallCount() == 1; }, 60000));
  EXPECT_EQ(operations.Calls()[0].message, batch::kMsgSetTime);
  for (const auto& record : records) {
    EXPECT_EQ(window.LastText(*record), Zh(texts::kTextLoginFailed));
    EXPECT_EQ(record->loginState, discovery::kLoginRefused);
    EXPECT_EQ(record->loginHandle, 0);
  }
  EXPECT_EQ(batch::EngineParts::Logins(*engine).Size(), 0u);
  EXPECT_TRUE(engine->LoginIdle());
}

TEST_F(BatchLogin, AFloodOfCallbacksForUnknownHandlesChangesNothing) {
  Start(testsupport::Cameras(3));
  DeviceRecord& watched = *records[0];
  batch::EngineParts::StoragePending(*engine).Append(&watched);
  batch::EngineParts::FormatPending(*engine).Append(&watched);
  batch::EngineParts::TimeSyncPending(*engine).Append(&watched);
  ASSERT_TRUE(batch::EngineParts::PushList(*engine).Append(&watched));

  std::atomic<bool> flooding{true};
  std::atomic<int> sent{0};
  std::thread flood([&] {
    const std::uint32_t codes[] = {1005, 1012, 1014, 1017, 325, 822, 227};
    for (int i = 0; flooding; ++i) {
      const int stranger = 100000 + i % 5000;
      for (int handle : {stranger, 0, -7}) {
        batch::StatusCallback(handle, i % 2 == 0 ? 4 : 5, 0, engine.get());
        const std::uint32_t code = codes[i % 7] | (i % 3 == 0 ? sdk::kResponseFailedBit : 0u);
        batch::ResponseCallback(handle, code, "Total=\"9\" Total=\"9\" Total=\"9\"", engine.get());
      }
      ++sent;
    }
  });
  const bool ran = RunBatch(Records());
  flooding = false;
  flood.join();
  ASSERT_TRUE(ran);
  EXPECT_GT(sent.load(), 1000);

  for (const auto& record : records) {
    EXPECT_EQ(record->loginState, discovery::kLoginConfirmed);
    EXPECT_EQ(window.LastText(*record), Zh(texts::kTextLoginOk));
  }
  EXPECT_TRUE(upgrade.Events().empty());
  EXPECT_EQ(batch::EngineParts::StoragePending(*engine).Size(), 1u);
  EXPECT_EQ(batch::EngineParts::FormatPending(*engine).Size(), 1u);
  EXPECT_EQ(watched.storageInfoReceived, 0);
  EXPECT_EQ(watched.sd1Total, 0);
  EXPECT_EQ(watched.formatState, discovery::kStateWaiting);
  EXPECT_EQ(watched.timeSyncState, discovery::kStateWaiting);
  for (const auto& flag : watched.responseFlags) EXPECT_EQ(flag, 0);
  EXPECT_EQ(window.Count(batch::kMsgUpgradeFinished), 0);
}

TEST_F(BatchLogin, TheSynchronousLoginWaitsForItsOwnOutcomeOnly) {
  camsim::Scenario scenario = testsupport::Cameras(4);
  scenario.devices[1].faults.refuseLogin = true;
  scenario.devices[2].faults.ignoreLogin = true;
  Start(scenario);

  EXPECT_EQ(batch::LoginAndWait(*engine, *records[0]), 0);
  EXPECT_GT(records[0]->loginHandle, 0);
  EXPECT_EQ(records[0]->loginState, discovery::kLoginConfirmed);
  EXPECT_EQ(batch::LoginAndWait(*engine, *records[0]), 0);
  EXPECT_EQ(Logins(0), 1);

  // A refusal signals the login event too; it is not a success.
  EXPECT_EQ(batch::LoginAndWait(*engine, *records[1]), -1);
  EXPECT_EQ(records[1]->loginHandle, 0);
  EXPECT_EQ(records[1]->loginState, discovery::kLoginUnknown);

  const DWORD start = platform::GetTickCount();
  EXPECT_EQ(batch::LoginAndWait(*engine, *records[2]), -1);
  EXPECT_GE(platform::GetTickCount() - start, 1500u);
  EXPECT_EQ(records[2]->loginHandle, 0);

  ClearPort(*records[3]);
  EXPECT_EQ(batch::LoginAndWait(*engine, *records[3]), -2);
  EXPECT_EQ(records[3]->loginHandle, 0);
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
