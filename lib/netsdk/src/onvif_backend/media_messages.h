// The media operations a preview needs: the first profile whose video the player decodes and its
// RTSP address, from the Media2 service (ver20) or, on devices without it, the Media service
// (ver10).
#pragma once

#include <libxml/tree.h>

#include <string>

namespace netsdk::onvif_backend {

enum class MediaVersion { kMedia2, kMedia };

std::string MediaAction(MediaVersion version, const std::string& operation);
std::string GetProfilesBody(MediaVersion version);
std::string GetStreamUriBody(MediaVersion version, const std::string& profileToken);
// The token of the first profile whose video encoder's Encoding the player decodes (H.264, H.265),
// else of the first whose Encoding is not given; empty when there is neither.
std::string ReadPlayableProfile(MediaVersion version, const xmlNode* body);
std::string ReadStreamUri(MediaVersion version, const xmlNode* body);

}  // namespace netsdk::onvif_backend
