#include "operations/time_sync.h"

#include <cstdio>

#include "batch/instruction_table.h"
#include "batch/messages.h"

namespace operations {

std::string TimeRequest(const platform::SYSTEMTIME& time) {
  char request[256] = {};
  std::snprintf(request, sizeof request,
                "<REQUEST_PARAM\r\nTime=\"%04d%02d%02d %02d:%02d:%02d\"\r\nTimeZone=\"%s\"\n/>",
                time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                kTimeZoneValue);
  return request;
}

void TimeSync::Register() {
  m_context.runs.SetOperation(batch::kRowSetTime, [this] { Start(); });
}

void TimeSync::Start() {
  StartBatchCommand(m_context, texts::kTextSettingTime, batch::kMsgSetTime);
}

bool TimeSync::AllPendingAnswered() const {
  return m_context.engine.AllPending(
      batch::Engine::Pending::kTimeSync, [](const discovery::DeviceRecord& record) {
        return record.timeSyncState.load() != discovery::kStateWaiting;
      });
}

void TimeSync::Work(const platform::StopToken& stop) {
  batch::Engine& engine = m_context.engine;
  const std::vector<discovery::DeviceRecord*> devices = engine.BatchDeviceSnapshot();
  engine.SetPending(batch::Engine::Pending::kTimeSync, devices);

  for (discovery::DeviceRecord* record : devices) {
    platform::SYSTEMTIME now{};
    platform::GetLocalTime(&now);
    const std::string request = TimeRequest(now);
    if (!LoggedIn(*record)) {
      record->timeSyncState = discovery::kStateFailed;
      continue;
    }
    record->timeSyncState = discovery::kStateWaiting;
    if (IP_NET_DVR_SystemControl(record->loginHandle, sdk::kCmdSetTime, 0, request.c_str()) != 0) {
      record->timeSyncState = discovery::kStateFailed;
    }
  }

  if (!stop.Sleep(kTimeSettleMs)) return;
  if (!PollUntil(stop, kTimeWaitRoundMs, kTimeWaitMs, [this] { return AllPendingAnswered(); }))
    return;

  // Answers that come later are still recorded by the callback but count no more.
  int succeeded = 0;
  int failed = 0;
  for (discovery::DeviceRecord* record : devices) {
    const bool ok = record->timeSyncState.load() == discovery::kStateDone;
    engine.ShowStatus(*record, engine.Text(ok ? texts::kTextSetTimeOk : texts::kTextSetTimeFailed));
    ++(ok ? succeeded : failed);
  }
  ReportCounts(m_context, stop, kAfterTimePauseMs, batch::kMsgSetTimeFinished, succeeded, failed);
}

}  // namespace operations
