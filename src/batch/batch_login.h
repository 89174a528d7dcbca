// The batch login: the first step of every batch worker message. Every device of the batch
// device list without a login is queued for one (work phase 4), the rows show the progress, and
// the step ends when the login worker has settled every queued login.
#pragma once

#include "platform/worker_thread.h"

namespace batch {

class Engine;

// False when a stop was requested before the batch login ended.
bool BatchLogin(Engine& engine, const platform::StopToken& stop);

}  // namespace batch
