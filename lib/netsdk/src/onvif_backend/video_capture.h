// The video capture group (524) over ONVIF: picture levels, backlight compensation, white balance
// and the IR-cut filter through the imaging service, scaled from the program's 0..255 into the
// ranges the device gives; the flips through the video source's rotation and mirror (Media2). The
// IR-cut sensitivity and night hours, TV system, binning, the 2A switch and keeping colour at night
// have no ONVIF counterpart and are not carried.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "onvif_backend/service_calls.h"
#include "onvif_backend/xml_values.h"

namespace netsdk::onvif_backend {

struct CaptureRequest {
  int ircutMode =
      0;             // 3 manual: the day/night choice decides; the other modes switch by themselves
  int dayNight = 0;  // 0 night, 1 day
  int brightness = 0;
  int saturation = 0;
  int sharpness = 0;
  int contrast = 0;
  int backLight = 0;
  int whiteBalance = 0;  // 0 auto, 1 indoor, 2 outdoor
  bool hFlip = false;
  bool vFlip = false;
};

struct ImagingOptions {
  std::optional<Range> brightness;
  std::optional<Range> saturation;
  std::optional<Range> contrast;
  std::optional<Range> sharpness;
  std::vector<std::string> backlightModes;
  std::optional<Range> backlightLevel;
  std::vector<std::string> whiteBalanceModes;
  std::vector<std::string> irCutModes;
};

std::optional<CaptureRequest> ReadCaptureRequest(const std::string& gbkDocument);
// 0..255 (clamped) onto the device's range, rounded.
double ScaleLevel(int level, const Range& range);
// The ImagingSettings element that carries the request within the options; nullopt with the reason
// when a mode the request needs is not offered.
std::optional<std::string> ImagingSettingsXml(const CaptureRequest& request,
                                              const ImagingOptions& options, std::string* reason);

asio::awaitable<GroupOutcome> PushVideoCapture(const ServiceCalls& calls,
                                               const CaptureRequest& request);

}  // namespace netsdk::onvif_backend
