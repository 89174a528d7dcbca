// Every request the devices received, in order: when (program milliseconds since the simulator
// started), which device, which code, and the request's text or document. Search probes are not
// recorded: they reach every device every second. Thread-safe.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace camsim {

struct JournalEntry {
  double timeMs = 0;
  std::string serial;
  std::uint32_t code = 0;  // the command code; login 1004, ModifyIPC 1003, firmware 1008/1009
  std::string kind;        // login, control, config, action, modify, upgrade, check
  std::string text;
};

class Journal {
 public:
  void Add(JournalEntry entry);
  std::vector<JournalEntry> Entries() const;
  // Entries of one device with one code.
  std::vector<JournalEntry> Find(const std::string& serial, std::uint32_t code) const;
  // Also writes every entry from now on to path as one JSON object per line.
  bool WriteTo(const std::string& path, std::string* error);

 private:
  mutable std::mutex m_mutex;
  std::vector<JournalEntry> m_entries;
  std::ofstream m_file;
};

}  // namespace camsim
