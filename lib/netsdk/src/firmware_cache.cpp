#include "firmware_cache.h"

#include <fstream>

#include "timing.h"

namespace netsdk {

std::shared_ptr<const FirmwareImage> FirmwareCache::Load(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return nullptr;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxFirmwareBytes) return nullptr;
  const auto time = std::filesystem::last_write_time(file, error);
  if (error) return nullptr;

  std::lock_guard lock(m_mutex);
  for (auto it = m_entries.begin(); it != m_entries.end();) {
    it = it->second.image.expired() ? m_entries.erase(it) : std::next(it);
  }
  if (auto found = m_entries.find(path); found != m_entries.end()) {
    if (auto image = found->second.image.lock();
        image && found->second.size == size && found->second.time == time) {
      return image;
    }
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return nullptr;
  auto image = std::make_shared<FirmwareImage>();
  image->bytes.resize(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(image->bytes.data()), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) return nullptr;
  ++m_reads;
  m_entries[path] = Entry{image, size, time};
  return image;
}

int FirmwareCache::Reads() const {
  std::lock_guard lock(m_mutex);
  return m_reads;
}

}  // namespace netsdk
