// The configuration push (instruction row 11, check box 1046 "其它设置"): one thread per checked
// device logs in and sends every enabled group of the configuration set, in the push order with
// Ethernet last, each with its acknowledgement wait and retries. The last thread to end finishes
// the run (1032, handled by the run controller).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "batch/engine.h"
#include "batch/run_controller.h"
#include "config/push/push_groups.h"
#include "discovery/device_table.h"
#include "platform/blocking_call_gate.h"
#include "platform/dialog.h"
#include "platform/worker_thread.h"
#include "ui/report_ctrl.h"

namespace config {

constexpr DWORD kPushLoginWaitMs = 45000;
constexpr DWORD kPushPollMs = 1000;
constexpr DWORD kAcknowledgeWaitMs = 30000;
constexpr DWORD kRetryPauseMs = 15000;
constexpr int kRestartSeconds = 20;

// Sends a group's document with its command code; -1 without a library call for a code that is
// no group's.
int SendConfigCommand(int command, int loginHandle, const std::string& document);

class PushRunner {
 public:
  PushRunner(platform::Dialog& window, CReportCtrl& list, discovery::DeviceTable& table,
             batch::Engine& engine, batch::RunController& runs);
  // Stops the push threads as closing the window does.
  ~PushRunner();
  PushRunner(const PushRunner&) = delete;
  PushRunner& operator=(const PushRunner&) = delete;

  void Register();
  // Window thread.
  void Start();
  // Closing: asks every push thread to stop and waits at most waitMs for them together, then
  // shuts the gate: a thread left behind in a library call returns from it without touching the
  // runner, the engine, the window or its record again. True when every one has ended; a thread
  // left behind keeps its record borrowed. No push starts afterwards.
  bool Stop(DWORD waitMs);

 private:
  enum class GroupOutcome { kAcknowledged, kFailed, kNeverSendable };

  // What a push thread owns: its stop request, its passage through the gate, which it leaves for
  // every library call, and its own copy of the library calls.
  struct PushThread {
    const platform::StopToken& stop;
    platform::BlockingCallGate::Pass& pass;
    const batch::LibraryCalls& library;
    // False once closing has begun: the thread must return at once.
    bool GoOn() const { return pass && !stop.StopRequested(); }
  };

  void Push(discovery::DeviceRecord& record, const PushThread& thread);
  bool LogIn(discovery::DeviceRecord& record, const PushThread& thread);
  GroupOutcome RunGroup(discovery::DeviceRecord& record, const PushGroupEntry& entry,
                        const PushThread& thread);
  // The group's document from one copy of the set; nullopt with never-sendable set when no
  // attempt could ever send it (a password that differs from its confirmation, Ethernet to
  // several devices), nullopt alone when this attempt cannot.
  std::optional<std::string> Document(const PushGroupEntry& entry, bool* neverSendable) const;
  void Show(discovery::DeviceRecord& record, const QString& text) const;

  platform::Dialog& m_window;
  CReportCtrl& m_list;
  discovery::DeviceTable& m_table;
  batch::Engine& m_engine;
  batch::RunController& m_runs;
  // Counted once when the push starts: one Ethernet address must not go to several devices.
  std::atomic<int> m_deviceCount{0};
  std::vector<std::unique_ptr<platform::WorkerThread>> m_threads;
  // Shared with the threads, so that one left behind still finds it.
  std::shared_ptr<platform::BlockingCallGate> m_gate =
      std::make_shared<platform::BlockingCallGate>();
};

}  // namespace config
