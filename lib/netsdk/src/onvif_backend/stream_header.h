// The 848-byte stream header a live preview over RTSP sends before every key frame, built from
// what libavformat learned of the stream: the player opens its decoder with it.
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

#include <cstdint>
#include <string>
#include <vector>

namespace netsdk::onvif_backend {

// True when the player decodes the video: H.264 or H.265 with its parameter sets in Annex B form.
// Otherwise false with why, for the log.
bool BuildStreamHeader(const AVStream* video, const AVStream* audio,
                       std::vector<std::uint8_t>* header, std::string* why);

}  // namespace netsdk::onvif_backend
