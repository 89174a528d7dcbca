// The two message-driven workers. Each takes its thread messages in order until the window
// closes; numbers it does not know are ignored.
#pragma once

#include "platform/worker_thread.h"

namespace batch {

class Engine;

// 1025 reboot, 1026 factory restore, 1027 time, 1029 storage and format (wParam = disk index):
// the batch login, then the operation over the batch device list.
void RunBatchWorker(Engine& engine, const platform::StopToken& stop);

// The firmware upgrade's messages 2127, 2025, 2027, 2030 and 2034 to 2037, handed to the
// upgrade steps; items that travel in them are owned again here. Between messages it runs the
// steps' timed steps when they are due.
void RunUpgradeCoordinator(Engine& engine, const platform::StopToken& stop);

}  // namespace batch
