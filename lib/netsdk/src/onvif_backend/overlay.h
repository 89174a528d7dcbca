// The time and title group (525) over ONVIF, through Media2's on-screen display: one date-and-time
// overlay and one plain-text title on the first video source. The overlays managed are the first
// of each kind there; others (images, further texts) are never touched. The date and time formats
// are the offered ones nearest the chosen one; the extra information the program can overlay
// (resolution, bit rate) has no ONVIF counterpart.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "onvif_backend/service_calls.h"

namespace netsdk::onvif_backend {

enum class OverlayPlace { kHidden, kUpperLeft, kUpperRight, kLowerLeft, kLowerRight };

struct OverlayRequest {
  bool enable = false;
  OverlayPlace timePlace = OverlayPlace::kHidden;
  std::string format;  // the program's, e.g. "yyyy-mm-dd hh:mm:ss"
  OverlayPlace titlePlace = OverlayPlace::kHidden;
  std::string title;  // UTF-8
};

// nullopt for a document that cannot be read, or a title that is not hexadecimal GBK.
std::optional<OverlayRequest> ReadOverlayRequest(const std::string& gbkDocument);

// ONVIF's position type of a place ("UpperLeft" ...); empty for kHidden.
std::string PositionType(OverlayPlace place);
// The offered date format nearest the program's format: the same order of year, month and day
// first, then numeric months, the separator, the year's digits and zero padding. Empty when none is
// offered.
std::string NearestDateFormat(const std::string& format, const std::vector<std::string>& offered);
// The offered time format nearest a 24-hour clock with seconds.
std::string NearestTimeFormat(const std::vector<std::string>& offered);

asio::awaitable<GroupOutcome> PushOverlay(const ServiceCalls& calls, const OverlayRequest& request);

}  // namespace netsdk::onvif_backend
