#include "operations/restore.h"

#include "batch/instruction_table.h"
#include "batch/messages.h"

namespace operations {

void Restore::Register() {
  m_context.runs.SetOperation(batch::kRowRestore, [this] { Start(); });
}

void Restore::Start() {
  StartBatchCommand(m_context, texts::kTextRestoring, batch::kMsgRestore);
}

bool Restore::AllPendingRefound() const {
  return m_context.engine.AllPending(
      batch::Engine::Pending::kRestore, [](const discovery::DeviceRecord& record) {
        return record.refoundState.load() > discovery::kRefoundNotSeen;
      });
}

void Restore::Work(const platform::StopToken& stop) {
  batch::Engine& engine = m_context.engine;
  engine.SetPending(batch::Engine::Pending::kRestore);
  m_context.table.ResetSearchCursor();

  const std::vector<discovery::DeviceRecord*> devices = engine.BatchDeviceSnapshot();
  for (discovery::DeviceRecord* record : devices) {
    if (!LoggedIn(*record)) {
      record->refoundState = discovery::kRefoundNotLoggedIn;
      engine.ShowStatus(*record, engine.Text(texts::kTextLoginFailed));
      continue;
    }
    engine.ShowStatus(*record, engine.Text(texts::kTextRestoring));
    const int result = IP_NET_DVR_RestoreConfig(record->loginHandle);
    if (stop.StopRequested()) return;
    if (result != 0) {
      record->refoundState = discovery::kRefoundElsewhere;
      engine.ShowStatus(*record, engine.Text(texts::kTextRestoreFailed));
    } else {
      engine.AddPending(batch::Engine::Pending::kRestore, *record);
    }
  }

  if (!stop.Sleep(kRestoreRestartMs)) return;
  IP_NET_DVR_StartSearchIPC();
  m_context.window.SetTimer(discovery::kTimerRefound, discovery::kRefoundTimerPeriodMs);
  if (!stop.Sleep(kRestoreSearchSettleMs)) return;
  if (!PollUntil(stop, kRestoreWaitRoundMs, kRestoreWaitMs, [this] { return AllPendingRefound(); }))
    return;
  IP_NET_DVR_StopSearchIPC();
  m_context.window.KillTimer(discovery::kTimerRefound);

  int succeeded = 0;
  int failed = 0;
  for (discovery::DeviceRecord* record : devices) {
    const discovery::RefoundState state = record->refoundState.load();
    if (state == discovery::kRefoundAtDefaultAddress) {
      engine.ShowStatus(*record, engine.Text(texts::kTextRestoreOk));
      ++succeeded;
      continue;
    }
    // Not seen again, or not logged in: the text stays as it is.
    if (state == discovery::kRefoundElsewhere) {
      engine.ShowStatus(*record, engine.Text(texts::kTextRestoreFailed));
    }
    ++failed;
  }
  ReportCounts(m_context, stop, kAfterRestorePauseMs, batch::kMsgRestoreFinished, succeeded,
               failed);
}

}  // namespace operations
