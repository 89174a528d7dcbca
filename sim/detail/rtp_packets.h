// The stream's RTP as it travels on an RTSP connection: H.264 access units in RFC 6184 packets
// (a single NAL unit packet where a unit fits, FU-A fragments where it does not), H.265 ones in
// RFC 7798 packets (single units and FU fragments), MPEG-4 Visual frames in RFC 6416 packets,
// G.711 frames and sender reports, each framed for interleaving ('$', channel, 16-bit length);
// and the session description a DESCRIBE answers with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/detail/preview_clip.h"

namespace camsim::detail {

constexpr std::uint32_t kRtpVideoClock = 90000;
constexpr std::uint8_t kRtpH264Type = 96;  // the video's dynamic type, whatever its codec
constexpr std::uint8_t kRtpPcmuType = 0;
// The payload of one packet: what a camera packetizes for an Ethernet frame, also over TCP.
constexpr std::size_t kRtpMaxPayload = 1400;
constexpr int kNalSps = 7;
constexpr int kNalPps = 8;

using NalUnit = std::span<const std::uint8_t>;

// The NAL units of an Annex B stream, without their start codes (nor a four-byte one's zero).
std::vector<NalUnit> SplitNalUnits(std::span<const std::uint8_t> annexB);
// The parameter sets of an H.264 or H.265 clip; they live as long as clip.
std::vector<NalUnit> ParameterSetUnits(const PreviewClip& clip);
// Whether unit of codec is a parameter set.
bool IsParameterSet(ClipCodec codec, NalUnit unit);

// One RTP stream of a session: where its packets go and how far it has come.
struct RtpStream {
  std::uint8_t channel = 0;  // the interleaved channel of its RTP; its RTCP takes the next one
  std::uint8_t payloadType = 0;
  std::uint32_t ssrc = 0;
  std::uint16_t sequence = 0;  // of the next packet
  std::uint32_t packets = 0;   // sent so far, for the sender reports
  std::uint32_t octets = 0;    // payload bytes sent so far
};

// The packets of one H.264 or H.265 access unit, the marker bit on its last.
void AppendNalUnits(RtpStream& stream, ClipCodec codec, std::uint32_t timestamp,
                    const std::vector<NalUnit>& units, std::string* out);
// The packets of one MPEG-4 frame, cut where the payload is full, the marker bit on its last.
void AppendMpeg4(RtpStream& stream, std::uint32_t timestamp, std::span<const std::uint8_t> frame,
                 std::string* out);
// One packet of G.711 samples.
void AppendAudio(RtpStream& stream, std::uint32_t timestamp, std::span<const std::uint8_t> samples,
                 std::string* out);
// A sender report that ties timestamp to ntp (seconds since 1900 in the high 32 bits).
void AppendSenderReport(const RtpStream& stream, std::uint64_t ntp, std::uint32_t timestamp,
                        std::string* out);

// The session description of a device's stream, named name. Its controls, trackID=0 for the
// video and trackID=1 for the sound when the clip has it, resolve against the Content-Base.
// Without parameterSets the parameter sets (sprop-*) are left out, as a faulty camera does.
std::string SessionDescription(const PreviewClip& clip, std::string_view name, bool parameterSets);

}  // namespace camsim::detail
