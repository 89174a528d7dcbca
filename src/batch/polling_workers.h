// The four polling workers of the firmware upgrade. Each works a copy of its list taken under
// the list's lock, round after round: 300 ms pause when the list is empty, 1000 ms between
// rounds. The upgrade steps decide per item; the loops own the hand-over of the items.
#pragma once

#include "platform/worker_thread.h"

namespace batch {

class Engine;

// Sends each version query (SystemControl 1012, "RESPONSE_PARAM") until the library takes it,
// and hands a query that has waited more than its 80000 ms back to the coordinator (2027). The
// answer itself arrives through the response callback.
void RunVersionQueryWorker(Engine& engine, const platform::StopToken& stop);
// An upload request that its step finishes goes to the coordinator as 2030.
void RunUploadWorker(Engine& engine, const platform::StopToken& stop);
// A progress watch that its step finishes is freed here.
void RunProgressPoller(Engine& engine, const platform::StopToken& stop);
// A record that its step finishes leaves the verify list.
void RunVerifyWatcher(Engine& engine, const platform::StopToken& stop);

}  // namespace batch
