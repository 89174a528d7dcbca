// Reboot (instruction row 10, hidden button 1034): every checked device that is logged in gets
// the reboot command; message 2130 carries the counts.
#pragma once

#include "operations/operation_context.h"
#include "platform/worker_thread.h"

namespace operations {

constexpr DWORD kAfterRebootPauseMs = 2000;

class Reboot {
 public:
  explicit Reboot(OperationContext& context) : m_context(context) {}

  // Fills the row of the instruction table.
  void Register();
  // Window thread.
  void Start();
  // Batch worker, after the batch login.
  void Work(const platform::StopToken& stop);

 private:
  OperationContext& m_context;
};

}  // namespace operations
