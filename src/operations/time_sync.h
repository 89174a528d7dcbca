// Time sync (instruction row 5, hidden button 1035): every checked device that is logged in is
// sent the PC's local time; message 2132 carries the counts.
#pragma once

#include <string>

#include "operations/operation_context.h"
#include "platform/clock.h"
#include "platform/worker_thread.h"

namespace operations {

constexpr DWORD kTimeSettleMs = 2000;
constexpr DWORD kTimeWaitRoundMs = 1000;
constexpr DWORD kTimeWaitMs = 8000;
constexpr DWORD kAfterTimePauseMs = 2000;
// The devices take the time zone as this fixed value, whatever the PC's zone.
constexpr char kTimeZoneValue[] = "4800";

// The request of code 1005 for this local time: CR LF between the attributes, a lone LF before
// the end of the element.
std::string TimeRequest(const platform::SYSTEMTIME& time);

class TimeSync {
 public:
  explicit TimeSync(OperationContext& context) : m_context(context) {}

  void Register();
  // Window thread.
  void Start();
  // Batch worker, after the batch login.
  void Work(const platform::StopToken& stop);

 private:
  bool AllPendingAnswered() const;

  OperationContext& m_context;
};

}  // namespace operations
