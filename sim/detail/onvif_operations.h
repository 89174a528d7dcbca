// The table every ONVIF operation is found in: its service's namespace, its name, its journal
// code, the access class of ONVIF's default access policy it falls into, and its handler — a
// method of OnvifDevice for the device's own operations, a function of a settings service for
// the others, given the device and its settings state.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/detail/device.h"
#include "sim/detail/onvif_settings_state.h"
#include "sim/detail/onvif_soap.h"

namespace camsim::detail {

class OnvifDevice;

// Operators may do everything but the unrecoverable; Users only read, and no secrets.
enum class OnvifAccess {
  kPreAuth,
  kReadSystem,
  kReadSecret,
  kReadMedia,
  kWriteSystem,
  kUnrecoverable
};

// What a settings service's operation works on.
struct OnvifContext {
  Device& device;
  OnvifSettingsState& state;
  // Where the device's streams lie, with a final slash: each profile's is this and its token.
  std::string streams;
  // Where the device's snapshots lie, with a final slash: each profile's is this and its token.
  std::string snapshots;
};

struct OnvifOperation {
  std::string_view ns;
  std::string_view name;
  std::uint32_t code = 0;
  OnvifAccess access = OnvifAccess::kReadSystem;
  SoapAnswer (OnvifDevice::*method)(const xmlNode* request) = nullptr;
  SoapAnswer (*service)(OnvifContext& context, const xmlNode* request) = nullptr;
};

// The settings services' operations (the device's own are OnvifDevice's); null when none has
// this namespace and name.
const OnvifOperation* FindSettingsOperation(std::string_view ns, std::string_view name);

}  // namespace camsim::detail
