// Factory restore (instruction row 9, hidden button 1033): every checked device that is logged
// in gets the restore command; after their restart the re-found check (timer 1008) watches the
// search for them to come back at a factory-default address. Message 2131 carries the counts.
#pragma once

#include "operations/operation_context.h"
#include "platform/worker_thread.h"

namespace operations {

// The devices restart before the search for them begins.
constexpr DWORD kRestoreRestartMs = 10000;
constexpr DWORD kRestoreSearchSettleMs = 2000;
constexpr DWORD kRestoreWaitRoundMs = 1000;
constexpr DWORD kRestoreWaitMs = 14000;
constexpr DWORD kAfterRestorePauseMs = 1500;

class Restore {
 public:
  explicit Restore(OperationContext& context) : m_context(context) {}

  void Register();
  // Window thread.
  void Start();
  // Batch worker, after the batch login.
  void Work(const platform::StopToken& stop);

 private:
  bool AllPendingRefound() const;

  OperationContext& m_context;
};

}  // namespace operations
