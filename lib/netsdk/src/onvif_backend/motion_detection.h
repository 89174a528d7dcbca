// The motion detection group (822) over ONVIF: the analytics service's cell motion detector. The
// module's sensitivity takes the program's; the rule's active cells are the marked blocks laid onto
// the device's cell grid, and its minimum count of cells the alarm threshold. Detection off leaves
// no cell active. The weekly schedule and the night parameters have no ONVIF counterpart.
#pragma once

#include <optional>
#include <string>

#include "onvif_backend/cell_grid.h"
#include "onvif_backend/service_calls.h"

namespace netsdk::onvif_backend {

struct MotionRequest {
  bool enable = false;
  BlockGrid blocks;
  int sensitivity = 0;
  int threshold = 0;
};

std::optional<MotionRequest> ReadMotionRequest(const std::string& gbkDocument);

asio::awaitable<GroupOutcome> PushMotionDetection(const ServiceCalls& calls,
                                                  const MotionRequest& request);

}  // namespace netsdk::onvif_backend
