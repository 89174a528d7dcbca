// The shared lists of the workers, each bound to the lock that guards it. Every method takes the
// lock around its own change or read; the locks are re-entrant, so a caller that needs several
// steps to be atomic holds the list's lock around them (CriticalSectionLock lock(list.Lock())).
// Nobody holds a list's lock across a library call.
//
// A record the table has let go of (retired) is never taken into a list again: the check is made
// under the list's lock, and the table marks its records before it empties the lists under their
// locks, so a record is either emptied out with the list or refused by it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "batch/queue_items.h"
#include "discovery/device_record.h"
#include "platform/critical_section.h"

namespace batch {

// A list that owns its items.
template <typename Item>
class ItemQueue {
 public:
  explicit ItemQueue(platform::CriticalSection& lock) : m_lock(lock) {}
  ItemQueue(const ItemQueue&) = delete;
  ItemQueue& operator=(const ItemQueue&) = delete;

  platform::CriticalSection& Lock() const { return m_lock; }

  // False (and the item is freed) when its record has been retired.
  bool Append(std::unique_ptr<Item> item) {
    platform::CriticalSectionLock lock(m_lock);
    if (!item || RecordRetired(*item)) return false;
    m_items.push_back(std::move(item));
    return true;
  }

  // The items as they are now, for a worker's round without the lock. An item in the copy may
  // have left the list by the time the worker reaches it: check Contains under the lock first.
  std::vector<Item*> Snapshot() const {
    platform::CriticalSectionLock lock(m_lock);
    std::vector<Item*> copy;
    copy.reserve(m_items.size());
    for (const auto& item : m_items) copy.push_back(item.get());
    return copy;
  }

  bool Contains(const Item* item) const {
    platform::CriticalSectionLock lock(m_lock);
    return Position(m_items, item) != m_items.end();
  }

  // Takes the item out of the list; null when it is no longer there.
  std::unique_ptr<Item> Take(const Item* item) {
    platform::CriticalSectionLock lock(m_lock);
    auto it = Position(m_items, item);
    if (it == m_items.end()) return nullptr;
    std::unique_ptr<Item> taken = std::move(*it);
    m_items.erase(it);
    return taken;
  }

  std::vector<std::unique_ptr<Item>> TakeAll() {
    platform::CriticalSectionLock lock(m_lock);
    return std::exchange(m_items, {});
  }

  // The first item that satisfies pred; the pointer stays valid while the caller holds the lock.
  template <typename Pred>
  Item* FindFirst(Pred pred) const {
    platform::CriticalSectionLock lock(m_lock);
    for (const auto& item : m_items) {
      if (item && pred(*item)) return item.get();
    }
    return nullptr;
  }

  std::size_t Size() const {
    platform::CriticalSectionLock lock(m_lock);
    return m_items.size();
  }

 private:
  template <typename Items>
  static auto Position(Items& items, const Item* item) {
    return std::find_if(items.begin(), items.end(),
                        [item](const std::unique_ptr<Item>& owned) { return owned.get() == item; });
  }

  platform::CriticalSection& m_lock;
  std::vector<std::unique_ptr<Item>> m_items;
};

// A list of device records borrowed from the device table.
class RecordList {
 public:
  explicit RecordList(platform::CriticalSection& lock) : m_lock(lock) {}
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;

  platform::CriticalSection& Lock() const { return m_lock; }

  // Retired records are refused: false.
  bool Append(discovery::DeviceRecord* record);
  // Appends unless the record is already in the list; true when appended.
  bool AppendUnique(discovery::DeviceRecord* record);
  // Removes the first occurrence; true when the record was there.
  bool Remove(const discovery::DeviceRecord* record);
  bool Contains(const discovery::DeviceRecord* record) const;
  void Clear();
  // The list becomes these records, less any retired one.
  void Assign(std::vector<discovery::DeviceRecord*> records);
  std::vector<discovery::DeviceRecord*> Snapshot() const;
  std::size_t Size() const;

  // The first record whose login handle is this handle. A handle ≤ 0 belongs to no login and
  // finds nothing. The pointer stays valid while the caller holds the lock.
  discovery::DeviceRecord* FindByHandle(int loginHandle) const;

  // Takes out, in one hold of the lock, every record for which pred holds, and returns them. A
  // late answer that looks for its record under the same lock either came first (and pred saw
  // what it set) or finds nothing.
  template <typename Pred>
  std::vector<discovery::DeviceRecord*> TakeIf(Pred pred) {
    platform::CriticalSectionLock lock(m_lock);
    std::vector<discovery::DeviceRecord*> taken;
    std::erase_if(m_records, [&](discovery::DeviceRecord* record) {
      if (record == nullptr || !pred(*record)) return false;
      taken.push_back(record);
      return true;
    });
    return taken;
  }

  template <typename Pred>
  bool AllOf(Pred pred) const {
    platform::CriticalSectionLock lock(m_lock);
    return std::all_of(m_records.begin(), m_records.end(),
                       [&pred](const discovery::DeviceRecord* record) {
                         return record == nullptr || pred(*record);
                       });
  }

 private:
  platform::CriticalSection& m_lock;
  std::vector<discovery::DeviceRecord*> m_records;
};

}  // namespace batch
