// The firmware upgrade (instruction row 4, check box 1041 "升级固件"): the file chosen with
// button 1006 goes to every checked device at once. Each device is logged in, asked for its
// version, sent the file, checks it, restarts, is logged in again and asked again; the two
// version answers judge it. The coordinator's handlers and the steps of three polling workers
// live here; the engine owns the threads, queues and locks.
//
// A device's result is final once set: from then on no late event of the library changes that
// device (a device whose transfer stalled stays failed even if the device later takes the file).
// Failed devices stay logged in, so that the preview offered at the end can show them.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "batch/worker_hooks.h"
#include "operations/operation_context.h"

namespace operations {

constexpr char16_t kFirmwareFilter[] = u"bin Files (*.bin)|*.bin|ALL Files (*.*)|*.*||";
// The upgrade command is offered this many times more after the first, about a second apart.
constexpr int kMaxUploadRetries = 20;
constexpr DWORD kTransferStallMs = 15000;
constexpr DWORD kFileCheckMs = 240000;
// After the device took the file, before the coordinator drops its login.
constexpr DWORD kBeforeLogoutMs = 500;
// After a success, before the completion check.
constexpr DWORD kAfterSuccessMs = 1000;

// The version a version answer names: the text between "FileSystemVersion=\"" and the next
// double quote (to the end when there is none), at most 255 units; empty without the marker.
QString FileSystemVersion(const char* answer);

class Upgrade : public batch::UpgradeSteps {
 public:
  explicit Upgrade(OperationContext& context) : m_context(context) {}

  void Register();
  // Button 1006: the open-file dialog; the chosen path replaces the text of 1005.
  void Browse();
  // Window thread.
  void Start();

  // The coordinator (messages and timed steps).
  void OnUpgradeDevice(discovery::DeviceRecord& record) override;
  void OnLoginEnded(std::unique_ptr<batch::LoginRequest> request) override;
  void OnVersionQueryEnded(std::unique_ptr<batch::VersionQuery> query) override;
  void OnUploadEnded(std::unique_ptr<batch::UploadRequest> request) override;
  void OnFileTransferred(int loginHandle) override;
  void OnTransferFailed(int loginHandle) override;
  void OnFirmwareTaken(int loginHandle) override;
  void OnFirmwareRefused(int loginHandle) override;
  DWORD MsUntilNextStep() override;
  void RunDueSteps() override;

  // The polling workers.
  batch::StepOutcome StepUpload(batch::UploadRequest& request) override;
  batch::StepOutcome StepProgressWatch(batch::ProgressWatch& watch) override;
  batch::StepOutcome StepVerify(discovery::DeviceRecord& record, DWORD now) override;

 private:
  struct TimedStep {
    discovery::DeviceRecord* record;
    std::function<void(discovery::DeviceRecord&)> step;
    batch::TableBorrow borrow;
  };

  // The device's final result, set once: false when it had one already.
  bool SetResult(discovery::DeviceRecord& record, discovery::UpgradeResult result);
  // A failed result (kUpgradeFailed unless said) with the row text, then the completion check;
  // nothing for a device already judged.
  void Fail(discovery::DeviceRecord& record, texts::TextId text,
            discovery::UpgradeResult result = discovery::kUpgradeFailed);
  void Fail(discovery::DeviceRecord& record);
  void After(DWORD ms, discovery::DeviceRecord& record,
             std::function<void(discovery::DeviceRecord&)> step);
  void Judge(discovery::DeviceRecord& record);
  std::string FirmwarePath() const;

  OperationContext& m_context;
  // Taken from field 1005 on the window thread when the instruction starts, in the ANSI code
  // page; the upload worker reads it.
  mutable std::mutex m_pathMutex;
  std::string m_firmwarePath;
  // The coordinator's alone: due tick, step.
  std::multimap<DWORD, TimedStep> m_timedSteps;
};

}  // namespace operations
