#include "batch/guarded_list.h"

namespace batch {

namespace {

bool Retired(const discovery::DeviceRecord* record) {
  return record != nullptr && record->retired.load();
}

}  // namespace

bool RecordList::Append(discovery::DeviceRecord* record) {
  platform::CriticalSectionLock lock(m_lock);
  if (Retired(record)) return false;
  m_records.push_back(record);
  return true;
}

bool RecordList::AppendUnique(discovery::DeviceRecord* record) {
  platform::CriticalSectionLock lock(m_lock);
  if (Retired(record) || Contains(record)) return false;
  m_records.push_back(record);
  return true;
}

bool RecordList::Remove(const discovery::DeviceRecord* record) {
  platform::CriticalSectionLock lock(m_lock);
  auto it = std::find(m_records.begin(), m_records.end(), record);
  if (it == m_records.end()) return false;
  m_records.erase(it);
  return true;
}

bool RecordList::Contains(const discovery::DeviceRecord* record) const {
  platform::CriticalSectionLock lock(m_lock);
  return std::find(m_records.begin(), m_records.end(), record) != m_records.end();
}

void RecordList::Clear() {
  platform::CriticalSectionLock lock(m_lock);
  m_records.clear();
}

void RecordList::Assign(std::vector<discovery::DeviceRecord*> records) {
  std::erase_if(records, Retired);
  platform::CriticalSectionLock lock(m_lock);
  m_records = std::move(records);
}

std::vector<discovery::DeviceRecord*> RecordList::Snapshot() const {
  platform::CriticalSectionLock lock(m_lock);
  return m_records;
}

std::size_t RecordList::Size() const {
  platform::CriticalSectionLock lock(m_lock);
  return m_records.size();
}

discovery::DeviceRecord* RecordList::FindByHandle(int loginHandle) const {
  if (loginHandle <= 0) return nullptr;
  platform::CriticalSectionLock lock(m_lock);
  for (discovery::DeviceRecord* record : m_records) {
    if (record != nullptr && record->loginHandle.load() == loginHandle) return record;
  }
  return nullptr;
}

}  // namespace batch
