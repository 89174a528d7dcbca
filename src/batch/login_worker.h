// Device logins: the login worker that performs the logins of the login queue, and the
// synchronous login of a single device.
#pragma once

#include "discovery/device_record.h"
#include "platform/worker_thread.h"

namespace batch {

class Engine;

// The login worker's loop. A login succeeds only through status event 4 for the handle the
// library returned; it fails through its time-out (18000 ms, 180000 ms after an upgrade); a
// failed IP_NET_DVR_Login is tried again every round until then. After an upgrade the first
// attempt waits 15000 ms and the row counts the seconds since the latest attempt.
void RunLoginWorker(Engine& engine, const platform::StopToken& stop);

// Logs the device in and waits up to 1500 ms for the library's outcome for that handle.
// 0: logged in (or was already); -1: refused or no outcome in time (the login is closed again);
// -2: the library gave no handle.
int LoginAndWait(Engine& engine, discovery::DeviceRecord& record);

}  // namespace batch
