#include "batch/push_list.h"

namespace batch {

bool ConfigPushList::Append(discovery::DeviceRecord* record) {
  const std::size_t count = m_count.load(std::memory_order_relaxed);
  if (count >= kCapacity) return false;
  m_slots[count].store(record, std::memory_order_relaxed);
  // Publishes the slot: a reader that sees the new count sees the record in it.
  m_count.store(count + 1, std::memory_order_release);
  return true;
}

void ConfigPushList::Clear() {
  const std::size_t count = m_count.exchange(0, std::memory_order_acq_rel);
  for (std::size_t i = 0; i < count; ++i) m_slots[i].store(nullptr, std::memory_order_relaxed);
}

std::vector<discovery::DeviceRecord*> ConfigPushList::Snapshot() const {
  std::vector<discovery::DeviceRecord*> records;
  const std::size_t count = Size();
  records.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (auto* record = m_slots[i].load(std::memory_order_relaxed)) records.push_back(record);
  }
  return records;
}

discovery::DeviceRecord* ConfigPushList::FindByHandle(int loginHandle) const {
  if (loginHandle <= 0) return nullptr;
  const std::size_t count = Size();
  for (std::size_t i = 0; i < count; ++i) {
    discovery::DeviceRecord* record = m_slots[i].load(std::memory_order_relaxed);
    if (record != nullptr && record->loginHandle.load() == loginHandle) return record;
  }
  return nullptr;
}

}  // namespace batch
