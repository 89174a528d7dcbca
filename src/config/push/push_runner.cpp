#include "config/push/push_runner.h"

#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "batch/table_borrow.h"
#include "platform/clock.h"
#include "ui/main_dialog_ids.h"

namespace config {
namespace {

QString Named(const char16_t* pattern, const PushGroupEntry& entry) {
  return QString::fromUtf16(pattern).arg(QString::fromUtf16(entry.statusName));
}

bool IsConfigCommand(int command) {
  return batch::ConfigFlagIndex(command) >= 0;
}

}  // namespace

int SendConfigCommand(int command, int loginHandle, const std::string& document) {
  if (!IsConfigCommand(command)) return -1;
  return IP_NET_DVR_SetDVRConfig(loginHandle, command, 0, document.c_str(),
                                 static_cast<int>(document.size()) + 1);
}

PushRunner::PushRunner(platform::Dialog& window, CReportCtrl& list, discovery::DeviceTable& table,
                       batch::Engine& engine, batch::RunController& runs)
    : m_window(window), m_list(list), m_table(table), m_engine(engine), m_runs(runs) {}

PushRunner::~PushRunner() {
  Stop(batch::kCloseWaitMs);
}

void PushRunner::Register() {
  m_runs.SetOperation(batch::kRowOtherSettings, [this] { Start(); });
}

void PushRunner::Start() {
  m_window.SetDlgItemText(ids::IDC_ACTION, QString::fromUtf16(kTextPushAction));
  // The threads of an earlier push that have ended are joined; none is asked to stop.
  std::erase_if(m_threads,
                [](const auto& thread) { return !thread->IsRunning() && thread->Stop(0); });
  const std::vector<discovery::DeviceRecord*> records = m_table.CheckedRecords();
  m_deviceCount = static_cast<int>(records.size());
  for (discovery::DeviceRecord* record : records) {
    record->ownerWindow = &m_window;
    record->pushDone = 0;
    if (!m_engine.AddToPushList(*record)) continue;
    auto thread = std::make_unique<platform::WorkerThread>();
    record->pushThread = thread.get();
    // The thread borrows the record for as long as it runs.
    batch::TableBorrow::Hold();
    thread->Start([this, record, gate = m_gate,
                   library = m_engine.Library()](const platform::StopToken& stop) {
      {
        platform::BlockingCallGate::Pass pass(gate);
        if (pass) Push(*record, PushThread{stop, pass, library});
      }
      batch::TableBorrow::Release();
    });
    m_threads.push_back(std::move(thread));
  }
  if (m_engine.PushListEmpty()) m_runs.Finish();
}

bool PushRunner::Stop(DWORD waitMs) {
  for (auto& thread : m_threads) thread->RequestStop();
  const DWORD start = platform::GetTickCount();
  bool allEnded = true;
  for (auto& thread : m_threads) {
    const DWORD elapsed = platform::GetTickCount() - start;
    allEnded = thread->Stop(elapsed < waitMs ? waitMs - elapsed : 0) && allEnded;
  }
  // Those still running are asked to stop: inside the gate they end at once.
  m_gate->Close();
  return allEnded;
}

void PushRunner::Show(discovery::DeviceRecord& record, const QString& text) const {
  m_engine.ShowStatus(record, text);
}

void PushRunner::Push(discovery::DeviceRecord& record, const PushThread& thread) {
  if (LogIn(record, thread)) {
    for (const PushGroupEntry& entry : kPushOrder) {
      if (!thread.GoOn()) return;
      if (ProcessConfigSet().Get(entry.enableFlag) != 1) continue;
      // Two attempts at most, 15 s after each failure; a failed group never stops the next.
      for (int attempt = 0; attempt < 2; ++attempt) {
        const GroupOutcome outcome = RunGroup(record, entry, thread);
        if (outcome != GroupOutcome::kFailed) break;
        if (!thread.stop.Sleep(kRetryPauseMs)) return;
      }
    }
  }
  if (!thread.GoOn()) return;
  record.pushDone = 1;
  // The last act: the window may finish the run and empty the push list at once.
  m_window.PostMessage(batch::kMsgPushThreadEnded, 0, 0);
}

bool PushRunner::LogIn(discovery::DeviceRecord& record, const PushThread& thread) {
  if (record.loginHandle > 0 && record.loginState == discovery::kLoginConfirmed) return true;
  // A stale handle is closed before it is forgotten.
  if (const int stale = record.loginHandle; stale > 0) {
    if (!thread.pass.Outside([&] { thread.library.logout(stale); })) return false;
  }
  record.loginHandle = 0;
  record.loginState = discovery::kLoginUnknown;
  Show(record, QString::fromUtf16(kTextPushLogin));

  // The call gets the thread's own copies: the record may be gone when it returns.
  const std::string ip = record.info.Ip();
  const std::string user = record.info.User();
  const std::string password = record.info.Password();
  const int port = record.info.Port();
  // An outcome that comes before the handle is stored is kept for this call; later ones find the
  // record in the push list.
  const std::optional<batch::Engine::NowLogin> login = m_engine.LogInNow(
      record,
      [&]() -> std::optional<int> {
        int handle = 0;
        if (!thread.pass.Outside([&] {
              handle = thread.library.login(ip.c_str(), port, user.c_str(), password.c_str());
            })) {
          return std::nullopt;
        }
        return handle;
      },
      0);
  if (!login) return false;
  if (login->handle < 1) {
    Show(record, QString::fromUtf16(kTextPushLoginFailed));
    return false;
  }
  if (login->outcome == batch::kLoginSucceeded) record.loginState = discovery::kLoginConfirmed;
  if (login->outcome == batch::kLoginFailed) record.loginState = discovery::kLoginRefused;

  const DWORD start = platform::GetTickCount();
  for (;;) {
    if (!thread.stop.Sleep(kPushPollMs)) return false;
    if (record.loginState == discovery::kLoginConfirmed) {
      Show(record, QString::fromUtf16(kTextPushLoginOk));
      return true;
    }
    const DWORD elapsed = platform::GetTickCount() - start;
    if (elapsed > kPushLoginWaitMs) break;
    Show(record, QString::fromUtf16(kTextPushLoginWaiting).arg(elapsed / 1000));
  }
  Show(record, QString::fromUtf16(kTextPushLoginFailed));
  return false;
}

std::optional<std::string> PushRunner::Document(const PushGroupEntry& entry,
                                                bool* neverSendable) const {
  const ConfigSet snapshot(ProcessConfigSet());
  *neverSendable = (entry.group == PushGroup::kEthernet && m_deviceCount > 1) ||
                   !PasswordsAgree(entry.group, snapshot);
  if (*neverSendable) return std::nullopt;
  return BuildGroupRequest(entry.group, snapshot);
}

PushRunner::GroupOutcome PushRunner::RunGroup(discovery::DeviceRecord& record,
                                              const PushGroupEntry& entry,
                                              const PushThread& thread) {
  const platform::StopToken& stop = thread.stop;
  Show(record, QString::fromUtf16(entry.statusName));
  if (!stop.Sleep(kPushPollMs)) return GroupOutcome::kNeverSendable;
  bool neverSendable = false;
  const std::optional<std::string> document = Document(entry, &neverSendable);
  std::atomic<std::int32_t>& flag = record.responseFlags[static_cast<std::size_t>(entry.group)];
  flag = 0;
  // A document that cannot be sent whole is not sent at all.
  int sent = -1;
  if (document) {
    const int handle = record.loginHandle;
    if (!thread.pass.Outside(
            [&] { sent = SendConfigCommand(CommandOf(entry.group), handle, *document); })) {
      return GroupOutcome::kNeverSendable;
    }
  }
  if (sent != 0) {
    Show(record, Named(kTextGroupFailed, entry));
    if (!stop.Sleep(kPushPollMs)) return GroupOutcome::kNeverSendable;
    return neverSendable ? GroupOutcome::kNeverSendable : GroupOutcome::kFailed;
  }

  const DWORD start = platform::GetTickCount();
  for (DWORD elapsed = 0; elapsed < kAcknowledgeWaitMs;
       elapsed = platform::GetTickCount() - start) {
    Show(record, QString::fromUtf16(kTextGroupWaiting)
                     .arg(QString::fromUtf16(entry.statusName))
                     .arg(elapsed / 1000));
    if (flag != 0) break;
    if (!stop.Sleep(kPushPollMs)) return GroupOutcome::kNeverSendable;
  }
  const bool acknowledged = flag == 1;
  Show(record, Named(acknowledged ? kTextGroupOk : kTextGroupFailed, entry));
  if (!stop.Sleep(kPushPollMs)) return GroupOutcome::kNeverSendable;
  if (acknowledged && entry.restartsProcess) {
    for (int second = 1; second <= kRestartSeconds; ++second) {
      Show(record, QString::fromUtf16(kTextGroupRestarting)
                       .arg(QString::fromUtf16(entry.statusName))
                       .arg(second));
      if (!stop.Sleep(kPushPollMs)) return GroupOutcome::kNeverSendable;
    }
  }
  return acknowledged ? GroupOutcome::kAcknowledged : GroupOutcome::kFailed;
}

}  // namespace config
