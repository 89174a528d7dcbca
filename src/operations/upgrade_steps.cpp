// The upgrade's steps on the polling workers: the upload offers, the transfer progress and the
// device's file check.
#include "batch/messages.h"
#include "operations/upgrade.h"
#include "platform/clock.h"

namespace operations {
namespace {

bool Judged(const discovery::DeviceRecord& record) {
  return record.upgradeResult.load() != discovery::kUpgradeNone || record.retired.load();
}

}  // namespace

batch::StepOutcome Upgrade::StepUpload(batch::UploadRequest& request) {
  discovery::DeviceRecord& record = *request.record;
  if (Judged(record)) return batch::StepOutcome::kDone;
  if (request.attempts > kMaxUploadRetries) {
    request.result = batch::kUploadGivenUp;
    return batch::StepOutcome::kDone;
  }
  ++request.attempts;
  if (IP_NET_DVR_Upgrade(record.loginHandle, FirmwarePath().c_str()) != 0)
    return batch::StepOutcome::kKeep;
  request.result = batch::kUploadAccepted;
  return batch::StepOutcome::kDone;
}

batch::StepOutcome Upgrade::StepProgressWatch(batch::ProgressWatch& watch) {
  batch::Engine& engine = m_context.engine;
  // The coordinator takes the record out of the watch when the transfer ends.
  discovery::DeviceRecord* record = engine.WatchedRecord(watch);
  if (record == nullptr) return batch::StepOutcome::kDone;
  const int handle = record->loginHandle;
  int value = IP_NET_DVR_GetUpgradeState(handle);
  if (value == 0) value = IP_NET_DVR_GetUpgradeProgress(handle);
  switch (engine.ReadProgress(watch, value, platform::GetTickCount(), kTransferStallMs)) {
    case batch::Engine::ProgressReading::kEnded:
      return batch::StepOutcome::kDone;
    case batch::Engine::ProgressReading::kWaiting:
      return batch::StepOutcome::kKeep;
    case batch::Engine::ProgressReading::kStalled:
      Fail(*record, texts::kTextProgressFailed);
      return batch::StepOutcome::kDone;
    case batch::Engine::ProgressReading::kAdvanced:
      break;
  }
  const QString uploading = m_context.Text(texts::kTextUploadingFile);
  m_context.engine.ShowUpgradeProgress(
      *record, value >= 100 ? QStringLiteral("%1 100%").arg(uploading)
                            : QStringLiteral("%1 %2%").arg(uploading).arg(value));
  return batch::StepOutcome::kKeep;
}

batch::StepOutcome Upgrade::StepVerify(discovery::DeviceRecord& record, DWORD now) {
  const discovery::FileCheckState state = record.fileCheckState;
  if (state == discovery::kFileCheckTaken || state == discovery::kFileCheckRefused ||
      Judged(record))
    return batch::StepOutcome::kDone;
  const DWORD elapsed = now - record.verifyStartTime;
  if (elapsed < kFileCheckMs) {
    m_context.engine.ShowUpgradeProgress(record,
                                         QStringLiteral("%1 %2(s)")
                                             .arg(m_context.Text(texts::kTextCheckingFileSeconds))
                                             .arg(elapsed / 1000));
    return batch::StepOutcome::kKeep;
  }
  // A 1009 that comes after this is ignored.
  discovery::FileCheckState checking = discovery::kFileCheckRunning;
  if (record.fileCheckState.compare_exchange_strong(checking, discovery::kFileCheckTimedOut))
    Fail(record, texts::kTextCheckFileTimedOut);
  return batch::StepOutcome::kDone;
}

}  // namespace operations
