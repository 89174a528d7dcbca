#include "batch/login_worker.h"

#include <QString>
#include <algorithm>
#include <memory>

#include "batch/engine.h"
#include "batch/engine_parts.h"
#include "batch/table_borrow.h"
#include "platform/clock.h"

namespace batch {
namespace {

// A tick of 0 marks "not yet" in a request's times.
DWORD Now() {
  return std::max<DWORD>(platform::GetTickCount(), 1);
}

int CallLogin(const LibraryCalls& library, const discovery::DeviceRecord& record) {
  const std::string ip = record.info.Ip();
  const std::string user = record.info.User();
  const std::string password = record.info.Password();
  return library.login(ip.c_str(), record.info.Port(), user.c_str(), password.c_str());
}

// A request has left the queue: the record learns the outcome, and the request goes to whoever
// frees it (the upgrade coordinator, or the batch worker after its batch login).
void EndLogin(Engine& engine, std::unique_ptr<LoginRequest> request, bool succeeded) {
  discovery::DeviceRecord& record = *request->record;
  const int handle = request->loginHandle.load();
  if (succeeded) {
    record.loginHandle.store(handle);
    record.loginState.store(discovery::kLoginConfirmed);
  } else {
    if (handle > 0) engine.Library().logout(handle);
    record.loginState.store(discovery::kLoginRefused);
  }
  const discovery::WorkPhase phase = record.workPhase.load();
  if (discovery::IsUpgradePhase(phase)) {
    engine.HandToCoordinator(kMsgLoginEnded, std::move(request));
  } else if (phase == discovery::kPhaseBatchLogin) {
    EngineParts::Logins(engine).KeepEndedBatchLogin(std::move(request));
  }
}

void WorkRequest(Engine& engine, LoginRequest* request, const platform::StopToken& stop) {
  LoginQueue& logins = EngineParts::Logins(engine);
  discovery::DeviceRecord& record = *request->record;
  std::unique_ptr<LoginRequest> ended;
  bool succeeded = false;
  bool callLogin = false;
  {
    platform::CriticalSectionLock lock(logins.Lock());
    if (!logins.Contains(request)) return;
    if (request->loginHandle.load() > 0 && request->loginResult.load() == kLoginSucceeded) {
      ended = logins.Take(request);
      succeeded = true;
    } else {
      const DWORD now = Now();
      if (request->firstSeenTime == 0) request->firstSeenTime = now;
      if (now - request->firstSeenTime > request->timeoutMs) {
        ended = logins.Take(request);
      } else if (request->loginResult.load() == kLoginPending && request->loginHandle.load() <= 0) {
        if (record.workPhase.load() != discovery::kPhaseUpgradeRestarting) {
          callLogin = true;
        } else if (now - request->firstSeenTime >= kFirstLoginAfterUpgradeMs) {
          request->lastAttemptTime = now;
          callLogin = true;
        }
        // Outcomes that arrive before the handle is stored are kept for this call.
        if (callLogin) logins.BeginLoginCall();
      }
    }
  }
  if (ended) {
    EndLogin(engine, std::move(ended), succeeded);
    return;
  }
  if (callLogin) {
    const int handle = CallLogin(engine.Library(), record);
    // The engine may be gone once a stop was requested.
    if (stop.StopRequested()) return;
    if (!logins.EndLoginCall(request, handle)) {
      // The queue was emptied meanwhile: nobody would ever close this login.
      if (handle > 0) engine.Library().logout(handle);
      return;
    }
    if (handle > 0) engine.Library().setAutoReconnect(handle, 1);
  }
  if (record.workPhase.load() == discovery::kPhaseUpgradeRestarting &&
      request->lastAttemptTime != 0) {
    const DWORD seconds = (Now() - request->lastAttemptTime) / 1000;
    engine.ShowStatus(
        record,
        QStringLiteral("%1 %2(s)").arg(engine.Text(texts::kTextRebootedLoggingIn)).arg(seconds));
  }
}

}  // namespace

void RunLoginWorker(Engine& engine, const platform::StopToken& stop) {
  LoginQueue& logins = EngineParts::Logins(engine);
  while (!stop.StopRequested()) {
    logins.FreeDiscarded();
    const std::vector<LoginRequest*> copy = logins.Snapshot();
    if (copy.empty()) {
      engine.SetLoginIdle(true);
      if (!stop.Sleep(kEmptyListPauseMs)) return;
      continue;
    }
    engine.SetLoginIdle(false);
    {
      // A request of the copy may be discarded with the table while its login call runs.
      TableBorrow borrow;
      for (LoginRequest* request : copy) {
        WorkRequest(engine, request, stop);
        if (stop.StopRequested()) return;
      }
    }
    if (!stop.Sleep(kRoundPauseMs)) return;
  }
}

int LoginAndWait(Engine& engine, discovery::DeviceRecord& record) {
  if (record.loginHandle.load() > 0 && record.loginState.load() == discovery::kLoginConfirmed) {
    return 0;
  }
  const std::optional<Engine::NowLogin> login = engine.LogInNow(
      record, [&]() -> std::optional<int> { return CallLogin(engine.Library(), record); },
      kSyncLoginWaitMs);
  if (login->handle <= 0) return -2;
  if (login->outcome == kLoginSucceeded) {
    record.loginState.store(discovery::kLoginConfirmed);
    return 0;
  }
  engine.Library().logout(login->handle);
  record.loginHandle.store(0);
  record.loginState.store(discovery::kLoginUnknown);
  return -1;
}

}  // namespace batch
