// The configuration groups and queries that ONVIF carries with reads of the device's options
// first: each a device operation run as one coroutine on the network thread. The groups that need
// no reads are planned in config_mapping.
#pragma once

#include <cstdint>
#include <string>

#include "onvif_backend/service_calls.h"

namespace netsdk::onvif_backend {

inline constexpr std::uint32_t kCodeAudioEncode = 522;
inline constexpr std::uint32_t kCodeVideoEncode = 523;
inline constexpr std::uint32_t kCodeVideoCapture = 524;
inline constexpr std::uint32_t kCodeOverlay = 525;
inline constexpr std::uint32_t kCodeMotionDetection = 822;

bool IsSettingsGroup(std::uint32_t code);

// calls and the document are the coroutine's own: it outlives the call that starts it.
asio::awaitable<GroupOutcome> PushSettingsGroup(ServiceCalls calls, std::uint32_t code,
                                                std::string gbkDocument);

// The storage query (1014): the device's storage configurations, answered as the program reads a
// storage answer, one Disk per medium with a Total above 0 when it is there. ONVIF gives no size,
// so a medium that is there counts one megabyte.
asio::awaitable<GroupOutcome> QueryStorage(ServiceCalls calls);

}  // namespace netsdk::onvif_backend
