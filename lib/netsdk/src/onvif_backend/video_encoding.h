// The video encoding group (523) over ONVIF: the main and second stream of the program's document
// set on the encoders of the device's first two profiles, through Media2 (else Media). Values the
// device lists (resolution, H.264 profile, a constant rate) must be among its options, or the group
// fails before anything is set; numbers are kept inside the device's ranges.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "onvif_backend/service_calls.h"
#include "onvif_backend/video_encoder_messages.h"

namespace netsdk::onvif_backend {

struct StreamRequest {
  enum class RateControl { kConstant, kVariable, kConstrainedVariable };
  std::string resolution;  // the name the program sends ("720P", "D1" ...)
  VideoSize size;
  int frameRate = 0;
  int bitrateKbps = 0;
  RateControl rateControl = RateControl::kConstant;
  int keyFrameSeconds = 0;  // the page's frame interval, which the document calls Initquant
};

struct VideoEncodeRequest {
  std::array<StreamRequest, 2> streams;  // main, second
  bool baseline = false;                 // H.264 Baseline profile asked for
};

// The size of a resolution name of the program's lists; nullopt for a name it does not have.
std::optional<VideoSize> ResolutionSize(const std::string& name);

std::optional<VideoEncodeRequest> ReadVideoEncodeRequest(const std::string& gbkDocument);

// The configuration that carries the stream within the options, from the encoder's current one;
// nullopt with the reason when a listed value is not offered. Notes name approximations.
std::optional<VideoEncoderConfig> FitStream(const StreamRequest& stream, bool baseline,
                                            MediaVersion version, const H264Options& options,
                                            VideoEncoderConfig current, std::string* reason,
                                            std::vector<std::string>* notes);

asio::awaitable<GroupOutcome> PushVideoEncoding(const ServiceCalls& calls,
                                                const VideoEncodeRequest& request);

}  // namespace netsdk::onvif_backend
