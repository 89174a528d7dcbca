// The media operations a preview needs: the first profile whose video the player decodes and its
// RTSP address, from the Media2 service (ver20) or, on devices without it, the Media service
// (ver10).
#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

namespace netsdk::onvif_backend {

enum class MediaVersion { kMedia2, kMedia };

std::string MediaAction(MediaVersion version, const std::string& operation);
std::string GetProfilesBody(MediaVersion version);
std::string GetStreamUriBody(MediaVersion version, const std::string& profileToken);
// The token of the first profile whose video encoder's Encoding the player decodes (H.264, H.265),
// else of the first whose Encoding is not given; empty when there is neither.
std::string ReadPlayableProfile(MediaVersion version, const xmlNode* body);
std::string ReadStreamUri(MediaVersion version, const xmlNode* body);

// A profile's configurations, by token; empty where the profile has none of the kind.
struct ProfileConfigurations {
  std::string token;
  std::string videoSource;       // the video source configuration
  std::string videoSourceToken;  // the physical input it configures (imaging works on it)
  std::string videoEncoder;
  std::string audioEncoder;
  std::string analytics;
};

// GetProfiles for every configuration of every profile.
std::string GetAllProfilesBody(MediaVersion version);
std::vector<ProfileConfigurations> ReadProfiles(MediaVersion version, const xmlNode* body);

}  // namespace netsdk::onvif_backend
