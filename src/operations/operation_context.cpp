#include "operations/operation_context.h"

#include <QTimer>

#include "platform/clock.h"
#include "ui/main_dialog_ids.h"

namespace operations {

bool StartOnBatchWorker(OperationContext& context, UINT message, WPARAM wParam,
                        const std::function<void(discovery::DeviceRecord&)>& reset) {
  std::vector<discovery::DeviceRecord*> records = context.table.CheckedRecords();
  for (discovery::DeviceRecord* record : records) reset(*record);
  const bool any = !records.empty();
  context.engine.SetBatchDevices(std::move(records));
  return any && context.engine.PostToBatchWorker(message, wParam);
}

void StartBatchCommand(OperationContext& context, texts::TextId action, UINT message) {
  context.window.SetDlgItemText(ids::IDC_ACTION, context.Text(action));
  const bool posted = StartOnBatchWorker(context, message, 0, [](discovery::DeviceRecord& record) {
    record.timeSyncState = discovery::kStateWaiting;
    record.refoundState = discovery::kRefoundNotSeen;
  });
  if (!posted) context.runs.Finish();
}

void AfterOnWindow(OperationContext& context, DWORD ms, std::function<void()> step) {
  const auto delay =
      ms == 0 ? std::chrono::milliseconds(0)
              : std::chrono::duration_cast<std::chrono::milliseconds>(platform::RealDuration(ms));
  QTimer::singleShot(delay, &context.window, std::move(step));
}

bool PollUntil(const platform::StopToken& stop, DWORD roundMs, DWORD limitMs,
               const std::function<bool()>& done) {
  const DWORD start = platform::GetTickCount();
  while (!done() && platform::GetTickCount() - start < limitMs) {
    if (!stop.Sleep(roundMs)) return false;
  }
  return true;
}

void ReportCounts(OperationContext& context, const platform::StopToken& stop, DWORD pauseMs,
                  UINT message, int succeeded, int failed) {
  if (!stop.Sleep(pauseMs)) return;
  context.engine.PostToWindow(message, static_cast<WPARAM>(succeeded), static_cast<LPARAM>(failed));
}

bool LoggedIn(const discovery::DeviceRecord& record) {
  return record.loginHandle.load() > 0 && record.loginState.load() == discovery::kLoginConfirmed;
}

}  // namespace operations
