#include "operations/reboot.h"

#include "batch/instruction_table.h"
#include "batch/messages.h"

namespace operations {

void Reboot::Register() {
  m_context.runs.SetOperation(batch::kRowReboot, [this] { Start(); });
}

void Reboot::Start() {
  StartBatchCommand(m_context, texts::kTextRebooting, batch::kMsgReboot);
}

void Reboot::Work(const platform::StopToken& stop) {
  batch::Engine& engine = m_context.engine;
  int succeeded = 0;
  int failed = 0;
  for (discovery::DeviceRecord* record : engine.BatchDeviceSnapshot()) {
    if (record == nullptr) continue;
    // A device that is not logged in keeps the text its login left.
    if (!LoggedIn(*record)) {
      ++failed;
      continue;
    }
    const bool ok = IP_NET_DVR_RebootDVR(record->loginHandle) == 0;
    if (stop.StopRequested()) return;
    engine.ShowStatus(*record, engine.Text(ok ? texts::kTextRebootOk : texts::kTextRebootFailed));
    ++(ok ? succeeded : failed);
  }
  ReportCounts(m_context, stop, kAfterRebootPauseMs, batch::kMsgRebootFinished, succeeded, failed);
}

}  // namespace operations
