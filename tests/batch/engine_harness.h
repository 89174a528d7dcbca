// What the batch engine tests share: a stand-in for the main window that records every message
// it is sent (with the status text as it was when 2126 went out), plug-ins that record what
// reached the workers, device records for simulated cameras, and a wait on the program clock.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/engine.h"
#include "platform/clock.h"
#include "platform/thread_queue.h"
#include "sim/device_config.h"
#include "text/text.h"

namespace batchtest {

constexpr DWORD kJoinMs = 5000;

struct Posted {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  QString text;
  DWORD tick = 0;
};

class WindowRecorder {
 public:
  batch::WindowLink Link() {
    return {[this](UINT message, WPARAM wParam, LPARAM lParam) { Record(message, wParam, lParam); },
            [this](UINT message, WPARAM wParam, LPARAM lParam) {
              Record(message, wParam, lParam);
              return LRESULT{0};
            }};
  }

  std::vector<Posted> Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
  }

  // The texts that 2126 showed for the record, in order.
  std::vector<Posted> RowStatus(const discovery::DeviceRecord& record) const {
    std::vector<Posted> shown;
    for (const Posted& posted : Messages()) {
      if (posted.message == batch::kMsgRowStatus &&
          posted.wParam == reinterpret_cast<WPARAM>(&record)) {
        shown.push_back(posted);
      }
    }
    return shown;
  }

  QString LastText(const discovery::DeviceRecord& record) const {
    const std::vector<Posted> shown = RowStatus(record);
    return shown.empty() ? QString() : shown.back().text;
  }

  int Count(UINT message) const {
    const std::vector<Posted> all = Messages();
    return static_cast<int>(std::count_if(
        all.begin(), all.end(), [message](const Posted& p) { return p.message == message; }));
  }

  void Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
  }

 private:
  // Runs on the posting thread, the one that wrote the status text.
  void Record(UINT message, WPARAM wParam, LPARAM lParam) {
    Posted posted{message, wParam, lParam, {}, platform::GetTickCount()};
    if (message == batch::kMsgRowStatus && wParam != 0) {
      posted.text = reinterpret_cast<const discovery::DeviceRecord*>(wParam)->StatusText();
    }
    std::lock_guard lock(m_mutex);
    m_messages.push_back(std::move(posted));
  }

  mutable std::mutex m_mutex;
  std::vector<Posted> m_messages;
};

// Records the batch worker's operations and the logins as they were when each was called.
class RecordingOperations : public batch::BatchOperations {
 public:
  struct Call {
    UINT message = 0;
    int diskIndex = 0;
  };

  void Reboot(const platform::StopToken&) override { Add({batch::kMsgReboot, 0}); }
  void RestoreFactorySettings(const platform::StopToken&) override { Add({batch::kMsgRestore, 0}); }
  void SetTime(const platform::StopToken&) override { Add({batch::kMsgSetTime, 0}); }
  void StorageAndFormat(const platform::StopToken&, int diskIndex) override {
    Add({batch::kMsgStorageFormat, diskIndex});
  }

  std::vector<Call> Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
  }
  int CallCount() const { return m_count.load(); }

 private:
  void Add(Call call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(call);
    ++m_count;
  }

  mutable std::mutex m_mutex;
  std::vector<Call> m_calls;
  std::atomic<int> m_count{0};
};

// Records the coordinator's messages and keeps the items handed to it.
class RecordingUpgrade : public batch::UpgradeSteps {
 public:
  struct Event {
    UINT message = 0;
    int loginHandle = 0;
  };

  void OnUpgradeDevice(discovery::DeviceRecord& record) override {
    std::lock_guard lock(m_mutex);
    devices.push_back(&record);
    events.push_back({batch::kMsgUpgradeDevice, 0});
  }
  void OnLoginEnded(std::unique_ptr<batch::LoginRequest> request) override {
    std::lock_guard lock(m_mutex);
    logins.push_back(std::move(request));
    events.push_back({batch::kMsgLoginEnded, 0});
  }
  void OnVersionQueryEnded(std::unique_ptr<batch::VersionQuery> query) override {
    std::lock_guard lock(m_mutex);
    queries.push_back(std::move(query));
    events.push_back({batch::kMsgVersionQueryEnded, 0});
  }
  void OnUploadEnded(std::unique_ptr<batch::UploadRequest> request) override {
    std::lock_guard lock(m_mutex);
    uploads.push_back(std::move(request));
    events.push_back({batch::kMsgUploadEnded, 0});
  }
  void OnFileTransferred(int handle) override { Add(batch::kMsgFileTransferred, handle); }
  void OnTransferFailed(int handle) override { Add(batch::kMsgTransferFailed, handle); }
  void OnFirmwareTaken(int handle) override { Add(batch::kMsgFirmwareTaken, handle); }
  void OnFirmwareRefused(int handle) override { Add(batch::kMsgFirmwareRefused, handle); }

  batch::StepOutcome StepUpload(batch::UploadRequest& request) override {
    return ++request.attempts >= uploadStepsUntilDone ? batch::StepOutcome::kDone
                                                      : batch::StepOutcome::kKeep;
  }
  batch::StepOutcome StepProgressWatch(batch::ProgressWatch& watch) override {
    return watch.endState.load() > 0 ? batch::StepOutcome::kDone : batch::StepOutcome::kKeep;
  }
  batch::StepOutcome StepVerify(discovery::DeviceRecord& record, DWORD) override {
    return record.fileCheckState.load() != discovery::kFileCheckRunning ? batch::StepOutcome::kDone
                                                                        : batch::StepOutcome::kKeep;
  }
  DWORD MsUntilNextStep() override { return platform::INFINITE; }
  void RunDueSteps() override {}

  std::vector<Event> Events() const {
    std::lock_guard lock(m_mutex);
    return events;
  }
  template <typename Fn>
  auto Inspect(Fn fn) const {
    std::lock_guard lock(m_mutex);
    return fn(*this);
  }

  int uploadStepsUntilDone = 1;
  std::vector<discovery::DeviceRecord*> devices;
  std::vector<std::unique_ptr<batch::LoginRequest>> logins;
  std::vector<std::unique_ptr<batch::VersionQuery>> queries;
  std::vector<std::unique_ptr<batch::UploadRequest>> uploads;
  std::vector<Event> events;

 private:
  void Add(UINT message, int handle) {
    std::lock_guard lock(m_mutex);
    events.push_back({message, handle});
  }
  mutable std::mutex m_mutex;
};

// Waits on the program clock until done() holds; false once limitMs clock milliseconds passed.
inline bool WaitUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = platform::GetTickCount();
  while (!done()) {
    if (platform::GetTickCount() - start > limitMs) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

inline void PutText(sdk::DeviceInfoBlock& block, sdk::DeviceInfoBlock::Field field,
                    const std::string& text) {
  std::memset(block.data() + field.offset, 0, field.size);
  std::memcpy(block.data() + field.offset, text.data(), std::min(text.size(), field.size - 1));
}

// A device record as the search would have made it for the simulated device.
inline std::unique_ptr<discovery::DeviceRecord> MakeRecord(const camsim::DeviceConfig& device) {
  sdk::DeviceInfoBlock block;
  PutText(block, sdk::DeviceInfoBlock::kSerial, device.serial);
  PutText(block, sdk::DeviceInfoBlock::kDeviceType, device.deviceType);
  PutText(block, sdk::DeviceInfoBlock::kUser, device.user);
  PutText(block, sdk::DeviceInfoBlock::kPassword, device.password);
  PutText(block, sdk::DeviceInfoBlock::kIp, device.ip);
  std::memcpy(block.data() + sdk::DeviceInfoBlock::kPort.offset, &device.port, sizeof device.port);
  auto record = std::make_unique<discovery::DeviceRecord>();
  record->ResetFrom(block);
  return record;
}

inline QString Zh(texts::TextId id) {
  return texts::Text(id, texts::kLanguageChinese);
}

}  // namespace batchtest
