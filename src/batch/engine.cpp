#include "batch/engine.h"

#include <algorithm>
#include <new>
#include <type_traits>
#include <utility>

#include "batch/login_worker.h"
#include "batch/message_loops.h"
#include "batch/polling_workers.h"
#include "platform/clock.h"
#include "platform/thread_queue.h"
#include "text/text.h"

namespace batch {
namespace {

constexpr std::size_t Index(Worker worker) {
  return static_cast<std::size_t>(worker);
}

template <typename Item>
constexpr ItemKind KindOf() {
  if constexpr (std::is_same_v<Item, LoginRequest>) return ItemKind::kLogin;
  if constexpr (std::is_same_v<Item, VersionQuery>) return ItemKind::kVersionQuery;
  if constexpr (std::is_same_v<Item, UploadRequest>) return ItemKind::kUpload;
  return ItemKind::kProgressWatch;
}

}  // namespace

Engine::Engine(WindowLink window, const std::atomic<int>& languageIndex, LibraryCalls library)
    : m_window(std::move(window)),
      m_languageIndex(languageIndex),
      m_library(std::move(library)),
      m_loginEvent(platform::CreateNamedEvent(kLoginEventName)) {}

Engine::~Engine() {
  Stop();
  // The library must not call into an engine that is gone.
  IP_NET_DVR_SetStatusEventCallBack(nullptr, nullptr);
  IP_NET_DVR_SetAUXResponseCallBack(nullptr, nullptr);
}

void Engine::Start() {
  using Body = void (*)(Engine&, const platform::StopToken&);
  static constexpr std::array<Body, kWorkerCount> kBodies = {
      RunBatchWorker,  RunUpgradeCoordinator, RunLoginWorker,   RunVersionQueryWorker,
      RunUploadWorker, RunProgressPoller,     RunVerifyWatcher,
  };
  for (std::size_t i = 0; i < kBodies.size(); ++i) {
    if (m_threads[i].IsRunning()) continue;
    m_threads[i].Start(
        [this, body = kBodies[i]](const platform::StopToken& stop) { body(*this, stop); });
  }
}

bool Engine::Stop(DWORD waitMs) {
  for (platform::WorkerThread& thread : m_threads) thread.RequestStop();
  const DWORD start = platform::GetTickCount();
  bool allEnded = true;
  for (platform::WorkerThread& thread : m_threads) {
    const DWORD elapsed = platform::GetTickCount() - start;
    allEnded = thread.Stop(elapsed < waitMs ? waitMs - elapsed : 0) && allEnded;
  }
  return allEnded;
}

DWORD Engine::ThreadId(Worker worker) const {
  return m_threads[Index(worker)].Id();
}

bool Engine::IsRunning(Worker worker) const {
  return m_threads[Index(worker)].IsRunning();
}

QString Engine::Text(texts::TextId id) const {
  return texts::Text(id, m_languageIndex.load());
}

void Engine::ShowStatus(discovery::DeviceRecord& record, const QString& text, LPARAM column) const {
  record.SetStatusText(text);
  PostToWindow(kMsgRowStatus, reinterpret_cast<WPARAM>(&record), column);
}

void Engine::ShowUpgradeProgress(discovery::DeviceRecord& record, const QString& text) const {
  if (record.SetProgressText(text))
    PostToWindow(kMsgRowStatus, reinterpret_cast<WPARAM>(&record), discovery::kColumnStatus);
}

void Engine::PostToWindow(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (m_window.post) m_window.post(message, wParam, lParam);
}

LRESULT Engine::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) const {
  return m_window.send ? m_window.send(message, wParam, lParam) : 0;
}

bool Engine::PostToBatchWorker(UINT message, WPARAM wParam) const {
  const DWORD id = ThreadId(Worker::kBatchWorker);
  return id != 0 && platform::PostThreadMessage(id, message, wParam, 0);
}

bool Engine::PostToCoordinator(UINT message, WPARAM wParam) const {
  const DWORD id = ThreadId(Worker::kUpgradeCoordinator);
  return id != 0 && platform::PostThreadMessage(id, message, wParam, 0);
}

template <typename Item>
std::unique_ptr<Item> Engine::NewItem(discovery::DeviceRecord& record) {
  std::atomic<int>& toFail = m_failAllocations[static_cast<std::size_t>(KindOf<Item>())];
  for (int failures = toFail.load(); failures > 0;) {
    if (toFail.compare_exchange_weak(failures, failures - 1)) return nullptr;
  }
  try {
    auto item = std::make_unique<Item>();
    item->record = &record;
    return item;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int Engine::QueueLogin(discovery::DeviceRecord& record) {
  if (record.retired.load()) return -1;
  std::unique_ptr<LoginRequest> request = NewItem<LoginRequest>(record);
  if (!request) {
    ShowStatus(record, Text(texts::kTextLoginOutOfMemory));
    return -1;
  }
  const discovery::WorkPhase phase = record.workPhase.load();
  request->timeoutMs =
      phase == discovery::kPhaseUpgradeRestarting ? kLoginTimeoutAfterUpgradeMs : kLoginTimeoutMs;
  LoginRequest* queued = request.get();
  if (!m_logins.Append(std::move(request))) return -1;
  // Only the batch worker reads this list, and it is the caller of a phase-4 login.
  if (phase == discovery::kPhaseBatchLogin) m_logins.BatchLoginList().push_back(queued);
  return 0;
}

int Engine::QueueVersionQuery(discovery::DeviceRecord& record, int phase) {
  if (record.retired.load()) return -1;
  std::unique_ptr<VersionQuery> query = NewItem<VersionQuery>(record);
  if (!query) {
    ShowStatus(record, Text(texts::kTextOutOfMemory));
    return -1;
  }
  query->timeoutMs = kVersionQueryTimeoutMs;
  query->phase = phase;
  ShowStatus(record, Text(texts::kTextGetVersion));
  return m_versionQueue.Append(std::move(query)) ? 0 : -1;
}

int Engine::QueueUpload(discovery::DeviceRecord& record) {
  if (record.retired.load()) return -1;
  std::unique_ptr<UploadRequest> request = NewItem<UploadRequest>(record);
  if (!request) {
    ShowStatus(record, Text(texts::kTextUploadOutOfMemory));
    return -1;
  }
  return m_uploadQueue.Append(std::move(request)) ? 0 : -1;
}

int Engine::QueueProgressWatch(discovery::DeviceRecord& record) {
  if (record.retired.load()) return -1;
  std::unique_ptr<ProgressWatch> watch = NewItem<ProgressWatch>(record);
  if (!watch) {
    ShowStatus(record, Text(texts::kTextProgressOutOfMemory));
    return -1;
  }
  watch->lastChangeTime = platform::GetTickCount();
  return m_progressWatches.Append(std::move(watch)) ? 0 : -1;
}

void Engine::BeginUpgrade() {
  platform::CriticalSectionLock lock(m_upgradeLock);
  m_upgradeDevices.Clear();
  m_upgradeFinishPosted = false;
}

void Engine::AddUpgradeDevice(discovery::DeviceRecord& record) {
  platform::CriticalSectionLock lock(m_upgradeLock);
  m_upgradeDevices.Append(&record);
  m_upgradeFinishPosted = false;
}

bool Engine::IsUpgradeComplete() const {
  return m_upgradeDevices.AllOf([](const discovery::DeviceRecord& record) {
    return record.upgradeResult.load() != discovery::kUpgradeNone;
  });
}

void Engine::CheckUpgradeCompletion() {
  platform::CriticalSectionLock lock(m_upgradeLock);
  // Two devices finishing at once both find the list complete; the window must hear it once.
  if (m_upgradeFinishPosted || !IsUpgradeComplete()) return;
  m_upgradeFinishPosted = true;
  PostToWindow(kMsgUpgradeFinished);
}

UpgradeCounts Engine::CountUpgradeResults() const {
  UpgradeCounts counts;
  platform::CriticalSectionLock lock(m_upgradeLock);
  for (const discovery::DeviceRecord* record : m_upgradeDevices.Snapshot()) {
    if (record == nullptr) continue;
    ++counts.total;
    const discovery::UpgradeResult result = record->upgradeResult.load();
    if (result == discovery::kUpgradeSucceeded) ++counts.successes;
    if (discovery::UpgradeFailed(result)) ++counts.failures;
  }
  return counts;
}

bool Engine::StartUpgradeOf(const std::vector<discovery::DeviceRecord*>& records) {
  m_verifyList.Clear();
  bool any = false;
  platform::CriticalSectionLock lock(m_upgradeLock);
  for (discovery::DeviceRecord* record : records) {
    AddUpgradeDevice(*record);
    any = PostUpgradeDevice(*record) || any;
  }
  return any;
}

void Engine::OnUpgradingDevice(int loginHandle,
                               const std::function<void(discovery::DeviceRecord&)>& step) {
  platform::CriticalSectionLock lock(m_upgradeLock);
  if (discovery::DeviceRecord* record = m_upgradeDevices.FindByHandle(loginHandle)) step(*record);
}

discovery::DeviceRecord* Engine::WatchedRecord(const ProgressWatch& watch) const {
  platform::CriticalSectionLock lock(m_progressLock);
  return watch.endState > kTransferRunning ? nullptr : watch.record;
}

Engine::ProgressReading Engine::ReadProgress(ProgressWatch& watch, int value, DWORD now,
                                             DWORD stallMs) {
  platform::CriticalSectionLock lock(m_progressLock);
  if (watch.endState > kTransferRunning || watch.record == nullptr) return ProgressReading::kEnded;
  if (value > 0 && value > watch.lastProgress) {
    watch.lastProgress = value;
    watch.lastChangeTime = now;
    return ProgressReading::kAdvanced;
  }
  if (now - watch.lastChangeTime < stallMs) return ProgressReading::kWaiting;
  watch.record = nullptr;
  return ProgressReading::kStalled;
}

discovery::DeviceRecord* Engine::EndProgressWatch(int loginHandle, int endState) {
  platform::CriticalSectionLock lock(m_progressLock);
  ProgressWatch* watch = m_progressWatches.FindFirst([loginHandle](const ProgressWatch& w) {
    return w.record != nullptr && w.record->loginHandle.load() == loginHandle;
  });
  if (watch == nullptr) return nullptr;
  discovery::DeviceRecord* record = watch->record;
  watch->record = nullptr;
  watch->endState = endState;
  return record;
}

void Engine::StartFileCheck(discovery::DeviceRecord& record) {
  m_verifyList.Append(&record);
}

void Engine::SetBatchDevices(std::vector<discovery::DeviceRecord*> records) {
  m_batchDevices.Assign(std::move(records));
}

std::vector<discovery::DeviceRecord*> Engine::BatchDeviceSnapshot() const {
  return m_batchDevices.Snapshot();
}

RecordList& Engine::PendingList(Pending list) {
  return const_cast<RecordList&>(std::as_const(*this).PendingList(list));
}

const RecordList& Engine::PendingList(Pending list) const {
  switch (list) {
    case Pending::kStorage:
      return m_storagePending;
    case Pending::kFormat:
      return m_formatPending;
    case Pending::kTimeSync:
      return m_timeSyncPending;
    case Pending::kRestore:
      break;
  }
  return m_restorePending;
}

void Engine::SetPending(Pending list, std::vector<discovery::DeviceRecord*> records) {
  PendingList(list).Assign(std::move(records));
}

bool Engine::AddPending(Pending list, discovery::DeviceRecord& record) {
  return PendingList(list).AppendUnique(&record);
}

void Engine::RemovePending(Pending list, const discovery::DeviceRecord& record) {
  PendingList(list).Remove(&record);
}

bool Engine::AnyPending(Pending list) const {
  return PendingList(list).Size() > 0;
}

bool Engine::AllPending(Pending list, const RecordTest& test) const {
  return PendingList(list).AllOf(test);
}

std::vector<discovery::DeviceRecord*> Engine::TakePending(Pending list, const RecordTest& test) {
  return PendingList(list).TakeIf(test);
}

void Engine::VisitPending(Pending list,
                          const std::function<bool(discovery::DeviceRecord&)>& visit) {
  RecordList& records = PendingList(list);
  platform::CriticalSectionLock lock(records.Lock());
  for (discovery::DeviceRecord* record : records.Snapshot())
    if (record != nullptr && visit(*record)) return;
}

bool Engine::AddToPushList(discovery::DeviceRecord& record) {
  return m_pushList.Append(&record);
}

bool Engine::PushListEmpty() const {
  return m_pushList.Size() == 0;
}

bool Engine::AllPushesDone() const {
  const std::vector<discovery::DeviceRecord*> records = m_pushList.Snapshot();
  return std::all_of(records.begin(), records.end(),
                     [](const discovery::DeviceRecord* record) { return record->pushDone != 0; });
}

void Engine::EmptyPushList() {
  m_pushList.Clear();
}

std::optional<Engine::NowLogin> Engine::LogInNow(discovery::DeviceRecord& record,
                                                 const std::function<std::optional<int>()>& call,
                                                 DWORD waitMs) {
  m_logins.BeginLoginCall();
  const std::optional<int> handle = call();
  // Nothing of the engine may be touched any more.
  if (!handle) return std::nullopt;
  NowLogin login{*handle, kLoginPending};
  if (login.handle > 0) {
    record.loginHandle.store(login.handle);
    // The event is signalled for every device's outcome; only the outcome for this handle counts.
    const DWORD start = platform::GetTickCount();
    for (;;) {
      login.outcome = m_logins.TakeEarlyOutcome(login.handle);
      const DWORD elapsed = platform::GetTickCount() - start;
      if (login.outcome != kLoginPending || elapsed >= waitMs) break;
      m_loginEvent->Wait(waitMs - elapsed);
    }
  }
  m_logins.EndLoginCall(login.handle);
  return login;
}

bool Engine::PostUpgradeDevice(discovery::DeviceRecord& record) const {
  TableBorrow::Hold();
  if (PostToCoordinator(kMsgUpgradeDevice, reinterpret_cast<WPARAM>(&record))) return true;
  TableBorrow::Release();
  return false;
}

void Engine::DetachAllRecords() {
  // Requests the login worker is in the middle of are freed at the start of its next round.
  m_logins.Discard();
  for (RecordList* list : {&m_batchDevices, &m_upgradeDevices, &m_verifyList, &m_storagePending,
                           &m_formatPending, &m_timeSyncPending, &m_restorePending})
    list->Clear();
  m_pushList.Clear();
  {
    // The upgrade list is empty now, which reads as complete: nobody is waiting for a 2129.
    platform::CriticalSectionLock lock(m_upgradeLock);
    m_upgradeFinishPosted = true;
  }
}

}  // namespace batch
