// The batch engine: the context that the main window owns and that the workers, the operations
// and the library callbacks share. It holds the shared lists with their eleven locks, the login
// event, the seven worker threads and their ids, the login-idle flag, the link to the window and
// the window's language index. Workers never touch a window: they write a record's status text
// and post message 2126 through the link.
#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "batch/guarded_list.h"
#include "batch/library_calls.h"
#include "batch/login_queue.h"
#include "batch/messages.h"
#include "batch/push_list.h"
#include "batch/queue_items.h"
#include "batch/table_borrow.h"
#include "batch/worker_hooks.h"
#include "batch/worker_periods.h"
#include "discovery/device_record.h"
#include "platform/critical_section.h"
#include "platform/named_event.h"
#include "platform/win_types.h"
#include "platform/worker_thread.h"
#include "text/text_id.h"

namespace batch {

constexpr char kLoginEventName[] = "EVENT_LOGIN_STATUS";

// The main window as the engine sees it: posting (from any thread) and sending (2133).
struct WindowLink {
  std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> post;
  std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)> send;
};

// The seven threads, in the order they are created.
enum class Worker {
  kBatchWorker,
  kUpgradeCoordinator,
  kLoginWorker,
  kVersionQueryWorker,
  kUploadWorker,
  kProgressPoller,
  kVerifyWatcher,
};
constexpr int kWorkerCount = 7;

// The four kinds of queue item, for a test that makes the creation of one kind fail.
enum class ItemKind { kLogin, kVersionQuery, kUpload, kProgressWatch };
constexpr std::size_t kItemKindCount = 4;

struct UpgradeCounts {
  int total = 0;
  int successes = 0;
  int failures = 0;
};

class Engine {
 public:
  // Creates the login event and the locks; the threads start with Start.
  Engine(WindowLink window, const std::atomic<int>& languageIndex, LibraryCalls library = {});
  // Stops the threads as closing the window does and takes the callbacks back from the library.
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The operations plugged into the workers; set before Start, and they outlive the engine.
  // Without them a message is only acknowledged: the batch login still runs, owned items are
  // freed.
  void SetBatchOperations(BatchOperations* operations) { m_operations = operations; }
  void SetUpgradeSteps(UpgradeSteps* steps) { m_upgrade = steps; }
  BatchOperations* Operations() const { return m_operations; }
  UpgradeSteps* Upgrade() const { return m_upgrade; }

  // Starts the seven threads in their order (once).
  void Start();
  // Closing the window: asks every thread to stop and waits at most waitMs for all of them
  // together. A thread blocked in a library call is not waited for: it is left behind to end
  // with the process, which must end soon after. True when every thread has ended.
  bool Stop(DWORD waitMs = kCloseWaitMs);
  DWORD ThreadId(Worker worker) const;
  bool IsRunning(Worker worker) const;

  // Texts in the window's current language.
  QString Text(texts::TextId id) const;
  // Writes the record's status text and posts 2126 for the column.
  void ShowStatus(discovery::DeviceRecord& record, const QString& text,
                  LPARAM column = discovery::kColumnStatus) const;
  // The same for an upgrade's in-progress text, which never covers a verdict: nothing is written
  // once the record's upgrade has a result.
  void ShowUpgradeProgress(discovery::DeviceRecord& record, const QString& text) const;
  void PostToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT SendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // Thread messages. False when the thread is not running.
  bool PostToBatchWorker(UINT message, WPARAM wParam = 0) const;
  bool PostToCoordinator(UINT message, WPARAM wParam) const;
  // Hands an owned item to the coordinator in the message's wParam; when the post fails the
  // item is freed here.
  template <typename Item>
  bool HandToCoordinator(UINT message, std::unique_ptr<Item> item) const {
    if (!item || !PostToCoordinator(message, reinterpret_cast<WPARAM>(item.get()))) return false;
    item.release();
    return true;
  }

  // Queue operations: 0 when queued, -1 when the item could not be created (the row says so).
  // They judge nothing: the caller sets the device's verdict, with the completion check that
  // goes with it.
  int QueueLogin(discovery::DeviceRecord& record);
  int QueueVersionQuery(discovery::DeviceRecord& record, int phase);
  int QueueUpload(discovery::DeviceRecord& record);
  int QueueProgressWatch(discovery::DeviceRecord& record);

  // The upgrade device list (under the upgrade lock).
  void BeginUpgrade();
  void AddUpgradeDevice(discovery::DeviceRecord& record);
  // True when every record of the list has an upgrade result; an empty list is complete.
  bool IsUpgradeComplete() const;
  // Run by whoever sets a final upgrade result: posts 2129 when the list is complete, once per
  // upgrade.
  void CheckUpgradeCompletion();
  UpgradeCounts CountUpgradeResults() const;

  // Adds the records to the upgrade device list and posts 2127 for each, in one hold of the
  // upgrade lock: a device that fails at once must not find the list complete while later ones
  // are still to be added. The verify list starts empty. True when any 2127 went out.
  bool StartUpgradeOf(const std::vector<discovery::DeviceRecord*>& records);
  // Runs step on the record of the upgrade device list that this login belongs to, if any, under
  // the upgrade lock, which the device's verdicts and the completion check also take.
  void OnUpgradingDevice(int loginHandle,
                         const std::function<void(discovery::DeviceRecord&)>& step);
  // The record of a progress watch that runs; null once the watch has ended.
  discovery::DeviceRecord* WatchedRecord(const ProgressWatch& watch) const;
  // One reading of a transfer's progress for its watch, judged under the watch list's lock.
  // kStalled: no progress for stallMs, and the watch no longer names its record, so that no
  // transfer event reaches the device through it any more.
  enum class ProgressReading { kEnded, kAdvanced, kWaiting, kStalled };
  ProgressReading ReadProgress(ProgressWatch& watch, int value, DWORD now, DWORD stallMs);
  // The transfer to this login ended (the device took the file, or the transfer failed): its
  // watch lets go of the record and keeps endState. The record, or null when no watch runs.
  discovery::DeviceRecord* EndProgressWatch(int loginHandle, int endState);
  // The record's file check begins: it joins the verify list.
  void StartFileCheck(discovery::DeviceRecord& record);

  // Window thread, while no batch runs: the batch device list becomes these records.
  void SetBatchDevices(std::vector<discovery::DeviceRecord*> records);
  // The batch device list as it is now.
  std::vector<discovery::DeviceRecord*> BatchDeviceSnapshot() const;

  // The records whose answer a batch operation awaits. The callbacks settle a record they find
  // in its list under the list's lock; these verbs take the same lock.
  enum class Pending { kStorage, kFormat, kTimeSync, kRestore };
  using RecordTest = std::function<bool(const discovery::DeviceRecord&)>;
  // The list becomes these records, less any retired one; none empties it.
  void SetPending(Pending list, std::vector<discovery::DeviceRecord*> records = {});
  // False when the record is retired or already there.
  bool AddPending(Pending list, discovery::DeviceRecord& record);
  void RemovePending(Pending list, const discovery::DeviceRecord& record);
  bool AnyPending(Pending list) const;
  // True when test holds for every record of the list (an empty list included).
  bool AllPending(Pending list, const RecordTest& test) const;
  // Takes out, in one hold of the lock, the records test picks: an answer that comes later
  // finds none of them.
  std::vector<discovery::DeviceRecord*> TakePending(Pending list, const RecordTest& test);
  // Runs visit on each record of the list while holding its lock; visit returns true to stop.
  void VisitPending(Pending list, const std::function<bool(discovery::DeviceRecord&)>& visit);

  // The configuration push list: the records of a push, each until its thread has ended.
  bool AddToPushList(discovery::DeviceRecord& record);
  bool PushListEmpty() const;
  bool AllPushesDone() const;
  void EmptyPushList();

  // One login of record now, outside the login queue (a push, a single preview). call makes the
  // library call and gives its handle, or nothing when its caller must return at once without
  // touching the engine again (the window is closing). An outcome that arrives before the handle
  // is stored is kept for this call, and the call waits up to waitMs for one; a later outcome
  // finds the record by its handle wherever its caller keeps it.
  struct NowLogin {
    int handle = 0;  // ≤ 0: the call failed
    int outcome = kLoginPending;
  };
  std::optional<NowLogin> LogInNow(discovery::DeviceRecord& record,
                                   const std::function<std::optional<int>()>& call, DWORD waitMs);

  // Clearing the device table, after it has marked its records retired: every record leaves
  // every list (the login queue's requests are discarded, the push list is emptied). From then
  // on no list, callback or new item reaches those records; the queue items that still name one
  // are dropped by their workers, and whoever is in the middle of a step holds a table borrow
  // until it is done (table_borrow.h).
  void DetachAllRecords();

  // 2127: starts the upgrade of a record on the coordinator. The record travels with a borrow
  // that the coordinator gives back once it has handled the message.
  bool PostUpgradeDevice(discovery::DeviceRecord& record) const;

  // 1 while the login queue is empty, 0 while the login worker has requests.
  bool LoginIdle() const { return m_loginIdle.load() != 0; }
  void SetLoginIdle(bool idle) { m_loginIdle.store(idle ? 1 : 0); }

  const LibraryCalls& Library() const { return m_library; }

  // The next count creations of this kind of item fail as if memory had run out.
  void FailNextAllocationsForTesting(ItemKind kind, int count) {
    m_failAllocations[static_cast<std::size_t>(kind)].store(count);
  }

 private:
  // The engine's own parts (its workers, the callbacks, the batch login) and their tests reach
  // the lists through EngineParts (engine_parts.h); nothing else does.
  friend class EngineParts;

  platform::AutoResetEvent& LoginEvent() const { return *m_loginEvent; }

  // The shared lists; each carries the lock that guards it. An item or record found in a list is
  // touched by another thread only while it holds that list's lock: once taken out, an item
  // belongs to its new owner (a progress watch to the progress poller, which frees it).
  LoginQueue& Logins() { return m_logins; }
  ItemQueue<VersionQuery>& VersionQueue() { return m_versionQueue; }
  ItemQueue<UploadRequest>& UploadQueue() { return m_uploadQueue; }
  ItemQueue<ProgressWatch>& ProgressWatches() { return m_progressWatches; }
  RecordList& BatchDevices() { return m_batchDevices; }
  RecordList& UpgradeDevices() { return m_upgradeDevices; }
  RecordList& VerifyList() { return m_verifyList; }
  RecordList& StoragePending() { return m_storagePending; }
  RecordList& FormatPending() { return m_formatPending; }
  RecordList& TimeSyncPending() { return m_timeSyncPending; }
  RecordList& RestorePending() { return m_restorePending; }
  ConfigPushList& PushList() { return m_pushList; }
  RecordList& PendingList(Pending list);
  const RecordList& PendingList(Pending list) const;

  template <typename Item>
  std::unique_ptr<Item> NewItem(discovery::DeviceRecord& record);

  WindowLink m_window;
  const std::atomic<int>& m_languageIndex;
  LibraryCalls m_library;
  std::shared_ptr<platform::AutoResetEvent> m_loginEvent;
  BatchOperations* m_operations = nullptr;
  UpgradeSteps* m_upgrade = nullptr;
  std::array<std::atomic<int>, kItemKindCount> m_failAllocations{};
  std::atomic<std::int32_t> m_loginIdle{1};

  // The eleven locks, each named for the list it guards.
  mutable platform::CriticalSection m_loginLock;
  mutable platform::CriticalSection m_versionLock;
  mutable platform::CriticalSection m_uploadLock;
  mutable platform::CriticalSection m_progressLock;
  mutable platform::CriticalSection m_batchLock;
  mutable platform::CriticalSection m_upgradeLock;
  mutable platform::CriticalSection m_verifyLock;
  mutable platform::CriticalSection m_storageLock;
  mutable platform::CriticalSection m_formatLock;
  mutable platform::CriticalSection m_timeLock;
  mutable platform::CriticalSection m_restoreLock;

  LoginQueue m_logins{m_loginLock};
  ItemQueue<VersionQuery> m_versionQueue{m_versionLock};
  ItemQueue<UploadRequest> m_uploadQueue{m_uploadLock};
  ItemQueue<ProgressWatch> m_progressWatches{m_progressLock};
  RecordList m_batchDevices{m_batchLock};
  RecordList m_upgradeDevices{m_upgradeLock};
  RecordList m_verifyList{m_verifyLock};
  RecordList m_storagePending{m_storageLock};
  RecordList m_formatPending{m_formatLock};
  RecordList m_timeSyncPending{m_timeLock};
  RecordList m_restorePending{m_restoreLock};
  ConfigPushList m_pushList;
  // Under the upgrade lock: 2129 went out for the current upgrade device list.
  bool m_upgradeFinishPosted = false;

  // Last, so that they are stopped before anything they use goes away.
  std::array<platform::WorkerThread, kWorkerCount> m_threads;
};

}  // namespace batch
