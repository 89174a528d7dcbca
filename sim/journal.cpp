#include "sim/journal.h"

#include <nlohmann/json.hpp>

namespace camsim {

void Journal::Add(JournalEntry entry) {
  std::lock_guard lock(m_mutex);
  if (m_file.is_open()) {
    const nlohmann::json line = {{"t", entry.timeMs},
                                 {"serial", entry.serial},
                                 {"code", entry.code},
                                 {"kind", entry.kind},
                                 {"text", entry.text}};
    // Device texts are GBK: bytes that are not UTF-8 become U+FFFD instead of breaking the line.
    m_file << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    m_file.flush();
  }
  m_entries.push_back(std::move(entry));
}

std::vector<JournalEntry> Journal::Entries() const {
  std::lock_guard lock(m_mutex);
  return m_entries;
}

std::vector<JournalEntry> Journal::Find(const std::string& serial, std::uint32_t code) const {
  std::lock_guard lock(m_mutex);
  std::vector<JournalEntry> found;
  for (const JournalEntry& entry : m_entries) {
    if (entry.serial == serial && entry.code == code) found.push_back(entry);
  }
  return found;
}

bool Journal::WriteTo(const std::string& path, std::string* error) {
  std::lock_guard lock(m_mutex);
  m_file.close();
  m_file.open(path, std::ios::out | std::ios::trunc);
  if (!m_file) {
    *error = "cannot write the journal to " + path;
    return false;
  }
  return true;
}

}  // namespace camsim
