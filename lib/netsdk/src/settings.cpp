#include "settings.h"

#include <cstdlib>
#include <string_view>

#include "netsdk_settings.h"

namespace netsdk {

static_assert(std::string_view(NETSDK_DEFAULT_ENDPOINT) ==
              std::string_view(wire::kDefaultEndpoint));

Settings::Settings() {
  Reset();
}

wire::Endpoint Settings::Endpoint() const {
  std::lock_guard lock(m_mutex);
  return m_endpoint;
}

bool Settings::SetEndpoint(const std::string& text) {
  wire::Endpoint endpoint;
  std::string why;
  if (!wire::ParseLoopbackEndpoint(text, false, &endpoint, &why)) return false;
  std::lock_guard lock(m_mutex);
  m_endpoint = endpoint;
  m_endpointSet = true;
  return true;
}

bool Settings::SetTimeScale(double factor) {
  if (!m_scale.Set(factor)) return false;
  std::lock_guard lock(m_mutex);
  m_scaleSet = true;
  return true;
}

void Settings::ApplyEnvironment() {
  std::lock_guard lock(m_mutex);
  // A malformed variable is ignored rather than half-applied: the default stays on loopback.
  if (const char* text = std::getenv("NETSDK_ENDPOINT"); text != nullptr && !m_endpointSet) {
    wire::Endpoint endpoint;
    std::string why;
    if (wire::ParseLoopbackEndpoint(text, false, &endpoint, &why)) m_endpoint = endpoint;
  }
  if (const char* text = std::getenv("NETSDK_TIME_SCALE"); text != nullptr && !m_scaleSet) {
    char* end = nullptr;
    const double factor = std::strtod(text, &end);
    if (end != text && *end == '\0') m_scale.Set(factor);
  }
}

void Settings::Reset() {
  std::lock_guard lock(m_mutex);
  std::string why;
  wire::ParseLoopbackEndpoint(wire::kDefaultEndpoint, false, &m_endpoint, &why);
  m_endpointSet = false;
  m_scaleSet = false;
  m_scale.Set(1.0);
}

}  // namespace netsdk
