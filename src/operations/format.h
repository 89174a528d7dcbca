// Storage formatting (instruction rows 6, 7, 8 for SD1, SD2, USB; hidden buttons 1030 to 1032):
// every checked device is asked for its storage, and a device whose chosen medium is mounted is
// formatted. The wait for the answers is bounded by the time-out of combo 1038. Message 2133 is
// sent when the format is over.
#pragma once

#include <atomic>

#include "operations/operation_context.h"
#include "platform/worker_thread.h"

namespace operations {

constexpr DWORD kStorageWaitRoundMs = 1000;
constexpr DWORD kStorageWaitMs = 8000;
constexpr DWORD kBetweenFormatStepsMs = 1500;
constexpr DWORD kFormatWaitRoundMs = 1000;

class Format {
 public:
  explicit Format(OperationContext& context) : m_context(context) {}

  void Register();
  // Window thread, for disk 1, 2 or 3.
  void Start(int diskIndex);
  // Batch worker, after the batch login: storage query, format, then 2133 (sent).
  void Work(const platform::StopToken& stop, int diskIndex);

 private:
  bool QueryStorage(const platform::StopToken& stop, int diskIndex);
  bool FormatDisks(const platform::StopToken& stop, int diskIndex);
  void ShowDiskStatus(discovery::DeviceRecord& record, int diskIndex, texts::TextId text);

  OperationContext& m_context;
  // Taken from combo 1038 when the instruction starts; the worker reads it.
  std::atomic<DWORD> m_timeoutMs{0};
};

}  // namespace operations
