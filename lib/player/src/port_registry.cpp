#include "port_registry.h"

namespace player {

PortRegistry& PortRegistry::Instance() {
  static PortRegistry registry;
  return registry;
}

std::shared_ptr<Port> PortRegistry::Find(int number) {
  std::lock_guard lock(m_mutex);
  const auto it = m_ports.find(number);
  return it == m_ports.end() ? nullptr : it->second;
}

std::shared_ptr<Port> PortRegistry::FindOrCreate(int number) {
  std::lock_guard lock(m_mutex);
  std::shared_ptr<Port>& port = m_ports[number];
  if (!port) port = std::make_shared<Port>();
  return port;
}

std::shared_ptr<Port> PortRegistry::Remove(int number) {
  std::lock_guard lock(m_mutex);
  const auto it = m_ports.find(number);
  if (it == m_ports.end()) return nullptr;
  std::shared_ptr<Port> port = std::move(it->second);
  m_ports.erase(it);
  return port;
}

}  // namespace player
