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

bool LoggedIn(const discovery::DeviceRecord& record) {
  return record.loginHandle.load() > 0 && record.loginState.load() > 0;
}

}  // namespace operations
