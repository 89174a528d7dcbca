// The search of either backend, as the C functions use it. Public methods may be called from any
// thread; Shutdown runs on the network thread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace netsdk {

// Read for both searches: the block of result index, copied out under the caller's lock.
template <typename Result>
int CopyBlock(const std::vector<Result>& results, int index, std::uint8_t* block) {
  if (block == nullptr || index < 0 || static_cast<std::size_t>(index) >= results.size()) {
    return -1;
  }
  const auto& source = results[static_cast<std::size_t>(index)].block;
  std::copy(source.begin(), source.end(), block);
  return 0;
}

class DeviceSearch {
 public:
  virtual ~DeviceSearch() = default;

  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual int Count() const = 0;
  // 0 and the block of result index, or -1.
  virtual int Read(int index, std::uint8_t* block) const = 0;
  // Gives the device listed at index the block's address, mask and gateway (and all-network state
  // where the protocol has one) and waits for the outcome: 0 when the device took them.
  virtual int Modify(int index, const std::uint8_t* block) = 0;
  // Network thread: ends the search's traffic and fails waiting calls.
  virtual void Shutdown() = 0;
};

}  // namespace netsdk
