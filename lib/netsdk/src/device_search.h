// The search of either backend, as the C functions use it. Public methods may be called from any
// thread; Shutdown runs on the network thread.
#pragma once

#include <cstdint>

namespace netsdk {

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
