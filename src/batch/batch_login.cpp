#include "batch/batch_login.h"

#include <algorithm>
#include <vector>

#include "batch/engine.h"
#include "batch/engine_parts.h"

namespace batch {
namespace {

bool LoggedIn(const discovery::DeviceRecord& record) {
  return record.loginHandle.load() > 0 && record.loginState.load() == discovery::kLoginConfirmed;
}

}  // namespace

bool BatchLogin(Engine& engine, const platform::StopToken& stop) {
  LoginQueue& logins = EngineParts::Logins(engine);
  std::vector<LoginRequest*>& batchLogins = logins.BatchLoginList();
  batchLogins.clear();
  logins.FreeEndedBatchLogins();

  const std::vector<discovery::DeviceRecord*> devices =
      EngineParts::BatchDevices(engine).Snapshot();
  std::vector<discovery::DeviceRecord*> queued;
  for (discovery::DeviceRecord* record : devices) {
    if (record == nullptr || record->loginHandle.load() > 0) continue;
    record->loginHandle.store(0);
    record->loginState.store(discovery::kLoginUnknown);
    engine.ShowStatus(*record, engine.Text(texts::kTextLoggingIn));
    record->workPhase.store(discovery::kPhaseBatchLogin);
    if (engine.QueueLogin(*record) == 0) queued.push_back(record);
  }
  if (batchLogins.empty()) return true;

  // Only the queued logins are waited for: each ends with state 1 or -1 within its time-out,
  // whereas a record that kept an unconfirmed handle from elsewhere may stay at 0 for ever.
  for (;;) {
    for (discovery::DeviceRecord* record : devices) {
      if (record != nullptr && record->loginState.load() == discovery::kLoginConfirmed) {
        engine.ShowStatus(*record, engine.Text(texts::kTextLoginOk));
      }
    }
    const bool outstanding =
        std::any_of(queued.begin(), queued.end(), [](const discovery::DeviceRecord* record) {
          // A record the table let go of has lost its request: nothing will settle it.
          return record->loginState.load() == discovery::kLoginUnknown && !record->retired.load();
        });
    if (!outstanding) break;
    if (!stop.Sleep(kBatchLoginRoundMs)) return false;
  }
  while (!engine.LoginIdle()) {
    if (!stop.Sleep(kLoginIdlePollMs)) return false;
  }

  for (LoginRequest* request : batchLogins) {
    // Owned again here once the login worker has finished it; a request the window discarded
    // with the device table is gone, and so is its record.
    std::unique_ptr<LoginRequest> ended = logins.TakeEndedBatchLogin(request);
    if (!ended) continue;
    discovery::DeviceRecord& record = *ended->record;
    engine.ShowStatus(
        record, engine.Text(LoggedIn(record) ? texts::kTextLoginOk : texts::kTextLoginFailed));
  }
  batchLogins.clear();
  return true;
}

}  // namespace batch
