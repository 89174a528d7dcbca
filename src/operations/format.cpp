#include "operations/format.h"

#include <algorithm>
#include <array>

#include "batch/disk_names.h"
#include "batch/instruction_table.h"
#include "batch/messages.h"
#include "platform/clock.h"
#include "ui/main_dialog_ids.h"

namespace operations {
namespace {

using Pending = batch::Engine::Pending;

// The current action by disk index 1, 2, 3.
constexpr std::array<texts::TextId, 3> kFormattingActions = {
    texts::kTextFormattingSd1, texts::kTextFormattingSd2, texts::kTextFormattingUsb};

int DiskTotal(const discovery::DeviceRecord& record, int diskIndex) {
  switch (diskIndex) {
    case batch::kDiskSd1:
      return record.sd1Total.load();
    case batch::kDiskSd2:
      return record.sd2Total.load();
    case batch::kDiskUsb:
      return record.usbTotal.load();
    default:
      return 0;
  }
}

bool Failed(const discovery::DeviceRecord& record) {
  return record.formatState.load() == discovery::kStateFailed;
}

}  // namespace

void Format::Register() {
  for (int disk = batch::kDiskSd1; disk <= batch::kDiskUsb; ++disk) {
    m_context.runs.SetOperation(batch::kRowFormatSd1 + disk - 1, [this, disk] { Start(disk); });
  }
}

void Format::Start(int diskIndex) {
  if (!batch::IsDiskIndex(diskIndex)) return;
  m_context.window.SetDlgItemText(
      ids::IDC_ACTION, m_context.Text(kFormattingActions[static_cast<std::size_t>(diskIndex - 1)]));
  m_timeoutMs = static_cast<DWORD>(std::max(0, m_context.formatTimeoutMs()));
  const bool posted =
      StartOnBatchWorker(m_context, batch::kMsgStorageFormat, static_cast<WPARAM>(diskIndex),
                         [diskIndex](discovery::DeviceRecord& record) {
                           record.diskIndex = diskIndex;
                           record.storageInfoReceived = 0;
                           record.sd1Total = 0;
                           record.sd2Total = 0;
                           record.usbTotal = 0;
                           record.formatState = discovery::kStateWaiting;
                         });
  if (!posted) m_context.runs.Finish();
}

void Format::Work(const platform::StopToken& stop, int diskIndex) {
  if (!batch::IsDiskIndex(diskIndex)) return;
  if (!QueryStorage(stop, diskIndex) || !stop.Sleep(kBetweenFormatStepsMs)) return;
  if (!FormatDisks(stop, diskIndex) || !stop.Sleep(kBetweenFormatStepsMs)) return;
  // Sent, not posted: the summary and its prompt are over before the next message is taken.
  m_context.engine.SendToWindow(batch::kMsgFormatFinished);
}

void Format::ShowDiskStatus(discovery::DeviceRecord& record, int diskIndex, texts::TextId text) {
  m_context.engine.ShowStatus(
      record, QStringLiteral("%1%2").arg(batch::DiskName(diskIndex), m_context.Text(text)));
}

bool Format::QueryStorage(const platform::StopToken& stop, int diskIndex) {
  batch::Engine& engine = m_context.engine;
  engine.SetPending(Pending::kStorage);
  const std::vector<discovery::DeviceRecord*> devices = engine.BatchDeviceSnapshot();
  for (discovery::DeviceRecord* record : devices) {
    if (record->loginState.load() != discovery::kLoginConfirmed) {
      record->formatState = discovery::kStateFailed;
      continue;
    }
    engine.ShowStatus(*record, engine.Text(texts::kTextGetStorageInfo));
    engine.AddPending(Pending::kStorage, *record);
    if (IP_NET_DVR_SystemControl(record->loginHandle, sdk::kCmdGetStorage, 0,
                                 sdk::kStorageRequest) != 0) {
      record->formatState = discovery::kStateFailed;
      engine.RemovePending(Pending::kStorage, *record);
    }
    if (stop.StopRequested()) return false;
  }

  const auto allSettled = [&devices] {
    return std::all_of(devices.begin(), devices.end(), [](const discovery::DeviceRecord* r) {
      return Failed(*r) || r->storageInfoReceived.load() != 0;
    });
  };
  if (engine.AnyPending(Pending::kStorage) &&
      !PollUntil(stop, kStorageWaitRoundMs, kStorageWaitMs, allSettled))
    return false;
  // The unanswered leave the pending list under its lock: an answer after the wait must neither
  // turn a failed query into a medium to format nor hand its totals to the next disk's query.
  engine.TakePending(Pending::kStorage, [](const discovery::DeviceRecord& r) {
    return r.storageInfoReceived.load() == 0;
  });

  for (discovery::DeviceRecord* record : devices) {
    if (record->storageInfoReceived.load() == 0) {
      if (record->loginState.load() == discovery::kLoginConfirmed) {
        record->formatState = discovery::kStateFailed;
        engine.ShowStatus(*record, engine.Text(texts::kTextGetStorageInfoFailed));
      }
    } else if (DiskTotal(*record, diskIndex) <= 0) {
      engine.ShowStatus(*record, QStringLiteral("%1 %2").arg(batch::DiskName(diskIndex),
                                                             engine.Text(texts::kTextNotMounted)));
      record->formatState = discovery::kStateFailed;
    }
  }
  return true;
}

bool Format::FormatDisks(const platform::StopToken& stop, int diskIndex) {
  batch::Engine& engine = m_context.engine;
  engine.SetPending(Pending::kFormat);
  const std::vector<discovery::DeviceRecord*> devices = engine.BatchDeviceSnapshot();
  for (discovery::DeviceRecord* record : devices) {
    if (Failed(*record)) continue;
    engine.AddPending(Pending::kFormat, *record);
    if (IP_NET_DVR_FormatDisk(record->loginHandle, diskIndex - 1) != 0) {
      engine.RemovePending(Pending::kFormat, *record);
      ShowDiskStatus(*record, diskIndex, texts::kTextFormatFailed);
      record->formatState = discovery::kStateFailed;
    }
    if (stop.StopRequested()) return false;
  }

  const DWORD timeoutMs = m_timeoutMs.load();
  const DWORD start = platform::GetTickCount();
  DWORD elapsed = 0;
  while (elapsed <= timeoutMs) {
    bool waiting = false;
    for (discovery::DeviceRecord* record : devices) {
      switch (record->formatState.load()) {
        case discovery::kStateWaiting:
          engine.ShowStatus(
              *record, QStringLiteral("%1%2(%3s)")
                           .arg(batch::DiskName(diskIndex), engine.Text(texts::kTextFormatting))
                           .arg(elapsed / 1000));
          waiting = true;
          break;
        case discovery::kStateDone:
          ShowDiskStatus(*record, diskIndex, texts::kTextFormatOk);
          break;
        default:
          // A device whose medium is absent, or whose storage query failed, keeps its text.
          if (DiskTotal(*record, diskIndex) > 0) {
            ShowDiskStatus(*record, diskIndex, texts::kTextFormatFailed);
          }
          break;
      }
    }
    if (!waiting) return true;
    if (!stop.Sleep(kFormatWaitRoundMs)) return false;
    elapsed = platform::GetTickCount() - start;
  }
  // Out of the pending list first, in one hold of its lock: an answer after the time-out must not
  // turn the verdict into a success.
  const std::vector<discovery::DeviceRecord*> timedOut =
      engine.TakePending(Pending::kFormat, [](const discovery::DeviceRecord& r) {
        return r.formatState.load() == discovery::kStateWaiting;
      });
  for (discovery::DeviceRecord* record : timedOut) {
    record->formatState = discovery::kStateFailed;
    ShowDiskStatus(*record, diskIndex, texts::kTextFormatTimedOut);
  }
  return true;
}

}  // namespace operations
