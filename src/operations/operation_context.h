// What the instructions work on: the main window with its device list and device table, the
// worker engine and the run controller. The main window owns all of them and outlives every
// instruction.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "batch/engine.h"
#include "batch/run_controller.h"
#include "discovery/device_table.h"
#include "platform/dialog.h"
#include "platform/worker_thread.h"
#include "text/text_id.h"
#include "ui/report_ctrl.h"

namespace operations {

struct OperationContext {
  platform::Dialog& window;
  CReportCtrl& list;
  discovery::DeviceTable& table;
  batch::Engine& engine;
  batch::RunController& runs;
  // The format time-out of combo 1038, in milliseconds (window thread).
  std::function<int()> formatTimeoutMs;

  // Texts in the window's current language (any thread).
  QString Text(texts::TextId id) const { return engine.Text(id); }
};

// The start of reboot, restore, time sync and format on the window thread: the batch device list
// becomes the record of every checked row, each reset first; then message goes to the batch
// worker. False when no checked row has a record (nothing was posted).
bool StartOnBatchWorker(OperationContext& context, UINT message, WPARAM wParam,
                        const std::function<void(discovery::DeviceRecord&)>& reset);

// The start of reboot, restore and time sync: the current action, the batch device list with
// each record's time-sync and re-found states reset, and the message to the batch worker. When
// nothing could be posted the run ends at once, since no end message would ever come.
void StartBatchCommand(OperationContext& context, texts::TextId action, UINT message);

// Runs step on the window thread after ms clock milliseconds (0: on the next turn of the event
// loop, so that the window paints first). Dropped when the window goes away first.
void AfterOnWindow(OperationContext& context, DWORD ms, std::function<void()> step);

// On a worker: checks done() every roundMs until it holds or limitMs have passed. False only
// when the worker was asked to stop meanwhile.
bool PollUntil(const platform::StopToken& stop, DWORD roundMs, DWORD limitMs,
               const std::function<bool()>& done);

// On the batch worker, the end of a counted instruction: the pause, then its end message with
// the successes and failures.
void ReportCounts(OperationContext& context, const platform::StopToken& stop, DWORD pauseMs,
                  UINT message, int succeeded, int failed);

// Whether the record has a confirmed login with a handle, as the batch commands require.
bool LoggedIn(const discovery::DeviceRecord& record);

}  // namespace operations
