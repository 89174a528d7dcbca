// The video encoder operations of the Media2 service (ver20) and, on devices without it, of the
// Media service (ver10): an encoder's configuration, its H.264 options and the write-back.
#pragma once

#include <libxml/tree.h>

#include <optional>
#include <string>
#include <vector>

#include "onvif_backend/media_messages.h"
#include "onvif_backend/xml_values.h"

namespace netsdk::onvif_backend {

struct VideoSize {
  int width = 0;
  int height = 0;
  bool operator==(const VideoSize&) const = default;
};

// An encoder's configuration as read; written back whole with the values changed, so that what
// the program does not set (quality, multicast, session time-out) stays as the device had it.
struct VideoEncoderConfig {
  std::string token;
  std::string name;
  int useCount = 1;
  std::string encoding;
  VideoSize size;
  double quality = 0;
  double frameRateLimit = 0;
  int encodingInterval = 1;
  int bitrateLimit = 0;
  int govLength = 0;
  std::string profile;
  std::optional<bool> constantBitRate;  // Media2 only
  // Media's required multicast settings and session time-out, as read.
  std::string multicastAddress = "0.0.0.0";
  int multicastPort = 0;
  int multicastTtl = 0;
  bool multicastAutoStart = false;
  std::string sessionTimeout = "PT60S";
};

// What the device offers for H.264 on one encoder.
struct H264Options {
  std::vector<VideoSize> sizes;
  std::optional<Range> govLength;
  std::vector<double> frameRates;       // Media2: the rates offered
  std::optional<Range> frameRateRange;  // Media: a range instead
  std::optional<Range> bitrate;
  std::vector<std::string> profiles;
  std::optional<bool> constantBitRate;  // Media2: whether a constant rate may be asked for
};

std::string GetVideoEncoderConfigurationBody(MediaVersion version, const std::string& token);
std::string GetVideoEncoderOptionsBody(MediaVersion version, const std::string& encoderToken,
                                       const std::string& profileToken);
std::string SetVideoEncoderConfigurationBody(MediaVersion version,
                                             const VideoEncoderConfig& config);

// The configuration of that token in a GetVideoEncoderConfiguration(s) answer.
std::optional<VideoEncoderConfig> ReadVideoEncoderConfig(MediaVersion version, const xmlNode* body,
                                                         const std::string& token);
// The H.264 options of a GetVideoEncoderConfigurationOptions answer; nullopt when H.264 is not
// among them.
std::optional<H264Options> ReadH264Options(MediaVersion version, const xmlNode* body);

}  // namespace netsdk::onvif_backend
