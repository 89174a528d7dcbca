// A connection of the library to the virtual LAN. After a hello it is bound to one device and
// carries that device's login, commands and firmware transfer.
#pragma once

#include <cstdint>
#include <memory>

#include "sim/detail/stream_sender.h"
#include "wire/firmware.h"
#include "wire/framed_connection.h"

namespace camsim::detail {

class FramedDevice;

// A firmware file arriving on a link. Only its header and running checksum are kept, so 250
// devices receiving 16 MiB each hold no file.
struct Upload {
  std::uint64_t size = 0;
  std::uint64_t received = 0;
  double startMs = 0;
  bool stalled = false;
  wire::FirmwareChecker checker;
};

struct Link {
  explicit Link(std::shared_ptr<wire::FramedConnection> link) : connection(std::move(link)) {}

  std::shared_ptr<wire::FramedConnection> connection;
  FramedDevice* device = nullptr;  // the LAN owns the devices and outlives every link
  bool loggedIn = false;
  std::unique_ptr<Upload> upload;
  std::shared_ptr<StreamSender> stream;  // a preview connection's live stream
};

}  // namespace camsim::detail
