// Firmware files in memory, shared by every transfer of the same file: an upgrade of 250 devices
// reads the file once and holds one copy, whatever the number of devices.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace netsdk {

struct FirmwareImage {
  std::vector<std::uint8_t> bytes;
};

class FirmwareCache {
 public:
  // The file's bytes; null when the path cannot be read or the file is too large. A file changed
  // on disk since it was cached (size or time) is read again.
  std::shared_ptr<const FirmwareImage> Load(const std::string& path);
  // How many times a file was read from disk.
  int Reads() const;

 private:
  struct Entry {
    std::weak_ptr<const FirmwareImage> image;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
  };

  mutable std::mutex m_mutex;  // also held while reading, so parallel calls read a file once
  std::map<std::string, Entry> m_entries;
  int m_reads = 0;
};

}  // namespace netsdk
