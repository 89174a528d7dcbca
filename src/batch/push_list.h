// The configuration push list: the device records of the running configuration push, in list
// order. The window thread appends while push threads already run and the response callback
// searches it, and nobody takes a lock for it; so it is a fixed array of atomic slots with an
// atomic count, and an append never moves what a reader is looking at.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <vector>

#include "discovery/device_record.h"

namespace batch {

class ConfigPushList {
 public:
  // The device table holds at most 250 rows.
  static constexpr std::size_t kCapacity = 256;

  // Window thread only. False when the list is full.
  bool Append(discovery::DeviceRecord* record);
  // Window thread only, while no push thread runs (batch finish, clearing the device table).
  void Clear();

  std::size_t Size() const { return m_count.load(std::memory_order_acquire); }
  std::vector<discovery::DeviceRecord*> Snapshot() const;
  // The first record whose login handle is this handle; handles ≤ 0 find nothing.
  discovery::DeviceRecord* FindByHandle(int loginHandle) const;

 private:
  std::array<std::atomic<discovery::DeviceRecord*>, kCapacity> m_slots{};
  std::atomic<std::size_t> m_count{0};
};

}  // namespace batch
