// The audio encoding group (522) over ONVIF, through Media2: with encoding on, the device's audio
// encoder is set (G.711 as µ-law or A-law, AAC, as its options allow) and added to the first two
// profiles; with encoding off it is removed from them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "onvif_backend/service_calls.h"

namespace netsdk::onvif_backend {

struct AudioEncodeRequest {
  bool enable = false;
  bool aac = false;      // else G.711
  int sampleRateHz = 0;  // 8000 or 16000
  int bitrateBps = 0;    // as the program writes it: 6400 or 16000
};

struct AudioEncoderOption {
  std::string encoding;          // PCMU, PCMA, MP4A-LATM, MPEG4-GENERIC, AAC ...
  std::vector<int> bitrates;     // kbps
  std::vector<int> sampleRates;  // kHz
};

struct AudioEncoderChoice {
  std::string encoding;
  int bitrateKbps = 0;
  int sampleRateKhz = 0;
};

std::optional<AudioEncodeRequest> ReadAudioEncodeRequest(const std::string& gbkDocument);

// The encoding, rate and bit rate of the options that carry the request; nullopt with the reason
// when the encoding or the sample rate is not offered. The bit rate is the offered one nearest.
std::optional<AudioEncoderChoice> ChooseAudioEncoder(const AudioEncodeRequest& request,
                                                     const std::vector<AudioEncoderOption>& options,
                                                     std::string* reason);

asio::awaitable<GroupOutcome> PushAudioEncoding(const ServiceCalls& calls,
                                                const AudioEncodeRequest& request);

}  // namespace netsdk::onvif_backend
