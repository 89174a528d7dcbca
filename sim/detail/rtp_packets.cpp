#include "sim/detail/rtp_packets.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace camsim::detail {
namespace {

constexpr std::size_t kRtpHeaderSize = 12;
constexpr std::uint8_t kRtpVersion = 0x80;
constexpr std::uint8_t kMarker = 0x80;
constexpr std::uint8_t kFuA = 28;
constexpr std::uint8_t kHevcFu = 49;
constexpr int kHevcVps = 32;
constexpr int kHevcSps = 33;
constexpr int kHevcPps = 34;
constexpr std::uint8_t kRtcpSenderReport = 200;

void Put16(std::string* out, unsigned value) {
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
  out->push_back(static_cast<char>(value & 0xFF));
}

void Put32(std::string* out, std::uint32_t value) {
  Put16(out, value >> 16);
  Put16(out, value & 0xFFFF);
}

void Append(std::string* out, std::span<const std::uint8_t> bytes) {
  out->append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// '$', the channel and the length that precede every packet on the RTSP connection.
void PutInterleaved(std::string* out, std::uint8_t channel, std::size_t size) {
  out->push_back('$');
  out->push_back(static_cast<char>(channel));
  Put16(out, static_cast<unsigned>(size));
}

void AppendPacket(RtpStream& stream, bool marker, std::uint32_t timestamp,
                  std::initializer_list<std::span<const std::uint8_t>> parts, std::string* out) {
  std::size_t payload = 0;
  for (const auto part : parts) payload += part.size();
  PutInterleaved(out, stream.channel, kRtpHeaderSize + payload);
  out->push_back(static_cast<char>(kRtpVersion));
  out->push_back(static_cast<char>((marker ? kMarker : 0) | stream.payloadType));
  Put16(out, stream.sequence++);
  Put32(out, timestamp);
  Put32(out, stream.ssrc);
  for (const auto part : parts) Append(out, part);
  ++stream.packets;
  stream.octets += static_cast<std::uint32_t>(payload);
}

std::string Base64(NalUnit bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(),
                                      static_cast<int>(bytes.size()));
  out.resize(written < 0 ? 0 : static_cast<std::size_t>(written));
  return out;
}

std::string PrintableName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c >= 0x20 && c < 0x7f) out += c;
  }
  return out.empty() ? std::string("camsim") : out;
}

}  // namespace

std::vector<NalUnit> SplitNalUnits(std::span<const std::uint8_t> annexB) {
  std::vector<NalUnit> units;
  std::size_t begin = annexB.size();
  const auto finish = [&](std::size_t end) {
    while (end > begin && annexB[end - 1] == 0) --end;
    if (end > begin) units.push_back(annexB.subspan(begin, end - begin));
  };
  std::size_t i = 0;
  while (i + 3 <= annexB.size()) {
    if (annexB[i] == 0 && annexB[i + 1] == 0 && annexB[i + 2] == 1) {
      if (begin < annexB.size()) finish(i);
      begin = i + 3;
      i += 3;
    } else {
      ++i;
    }
  }
  if (begin < annexB.size()) finish(annexB.size());
  return units;
}

std::vector<NalUnit> ParameterSetUnits(const PreviewClip& clip) {
  if (clip.clipFormat.codec == ClipCodec::kMpeg4) return {};
  return SplitNalUnits(clip.config);
}

bool IsParameterSet(ClipCodec codec, NalUnit unit) {
  if (unit.empty()) return false;
  if (codec == ClipCodec::kH265) {
    const int type = (unit[0] >> 1) & 0x3F;
    return type == kHevcVps || type == kHevcSps || type == kHevcPps;
  }
  const int type = unit[0] & 0x1F;
  return codec == ClipCodec::kH264 && (type == kNalSps || type == kNalPps);
}

void AppendNalUnits(RtpStream& stream, ClipCodec codec, std::uint32_t timestamp,
                    const std::vector<NalUnit>& units, std::string* out) {
  const bool hevc = codec == ClipCodec::kH265;
  const std::size_t headerSize = hevc ? 2 : 1;
  for (std::size_t n = 0; n < units.size(); ++n) {
    const NalUnit unit = units[n];
    const bool last = n + 1 == units.size();
    if (unit.size() <= kRtpMaxPayload || unit.size() <= headerSize) {
      AppendPacket(stream, last, timestamp, {unit}, out);
      continue;
    }
    // H.264: the FU indicator carries the unit's NRI, the FU header its type. H.265: the payload
    // header is the unit's own with the FU type, the FU header its type.
    std::uint8_t fu[3];
    std::uint8_t type = 0;
    if (hevc) {
      fu[0] = static_cast<std::uint8_t>((unit[0] & 0x81) | (kHevcFu << 1));
      fu[1] = unit[1];
      type = (unit[0] >> 1) & 0x3F;
    } else {
      fu[0] = static_cast<std::uint8_t>((unit[0] & 0xE0) | kFuA);
      type = unit[0] & 0x1F;
    }
    const NalUnit rest = unit.subspan(headerSize);
    const std::size_t chunk = kRtpMaxPayload - headerSize - 1;
    for (std::size_t at = 0; at < rest.size(); at += chunk) {
      const std::size_t size = std::min(chunk, rest.size() - at);
      const bool end = at + size == rest.size();
      fu[headerSize] = static_cast<std::uint8_t>((at == 0 ? 0x80 : 0) | (end ? 0x40 : 0) | type);
      AppendPacket(stream, last && end, timestamp,
                   {std::span<const std::uint8_t>(fu, headerSize + 1), rest.subspan(at, size)},
                   out);
    }
  }
}

void AppendMpeg4(RtpStream& stream, std::uint32_t timestamp, std::span<const std::uint8_t> frame,
                 std::string* out) {
  for (std::size_t at = 0; at < frame.size(); at += kRtpMaxPayload) {
    const std::size_t size = std::min(kRtpMaxPayload, frame.size() - at);
    AppendPacket(stream, at + size == frame.size(), timestamp, {frame.subspan(at, size)}, out);
  }
}

void AppendAudio(RtpStream& stream, std::uint32_t timestamp, std::span<const std::uint8_t> samples,
                 std::string* out) {
  AppendPacket(stream, false, timestamp, {samples}, out);
}

void AppendSenderReport(const RtpStream& stream, std::uint64_t ntp, std::uint32_t timestamp,
                        std::string* out) {
  constexpr std::size_t kSize = 28;
  PutInterleaved(out, static_cast<std::uint8_t>(stream.channel + 1), kSize);
  out->push_back(static_cast<char>(kRtpVersion));
  out->push_back(static_cast<char>(kRtcpSenderReport));
  Put16(out, kSize / 4 - 1);
  Put32(out, stream.ssrc);
  Put32(out, static_cast<std::uint32_t>(ntp >> 32));
  Put32(out, static_cast<std::uint32_t>(ntp & 0xFFFFFFFF));
  Put32(out, timestamp);
  Put32(out, stream.packets);
  Put32(out, stream.octets);
}

std::string SessionDescription(const PreviewClip& clip, std::string_view name, bool parameterSets) {
  const std::string type = std::to_string(kRtpH264Type);
  std::string encoding;
  std::string fmtp;
  if (clip.clipFormat.codec == ClipCodec::kH264) {
    NalUnit sps, pps;
    for (const NalUnit unit : ParameterSetUnits(clip)) {
      if ((unit[0] & 0x1F) == kNalSps && sps.empty()) sps = unit;
      if ((unit[0] & 0x1F) == kNalPps && pps.empty()) pps = unit;
    }
    // Profile, constraints and level are the three bytes after the set's header; Baseline 3.0 is
    // what the encoder makes when the set is somehow absent.
    char level[7] = "42C01E";
    if (sps.size() >= 4) std::snprintf(level, sizeof level, "%02X%02X%02X", sps[1], sps[2], sps[3]);
    encoding = "H264";
    fmtp = "packetization-mode=1";
    if (parameterSets && !sps.empty() && !pps.empty()) {
      fmtp += ";sprop-parameter-sets=" + Base64(sps) + "," + Base64(pps);
    }
    fmtp += std::string(";profile-level-id=") + level;
  } else if (clip.clipFormat.codec == ClipCodec::kH265) {
    encoding = "H265";
    for (const auto& [kind, field] :
         {std::pair{kHevcVps, "sprop-vps"}, std::pair{kHevcSps, "sprop-sps"},
          std::pair{kHevcPps, "sprop-pps"}}) {
      for (const NalUnit unit : ParameterSetUnits(clip)) {
        if (!parameterSets || ((unit[0] >> 1) & 0x3F) != kind) continue;
        fmtp += std::string(fmtp.empty() ? "" : ";") + field + "=" + Base64(unit);
        break;
      }
    }
  } else {
    // Simple Profile level 1; config is the sequence and object headers, in hex.
    encoding = "MP4V-ES";
    fmtp = "profile-level-id=1";
    if (parameterSets) {
      fmtp += ";config=";
      for (const std::uint8_t byte : clip.config) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", byte);
        fmtp += hex;
      }
    }
  }
  std::string sdp = "v=0\r\no=- 1 1 IN IP4 127.0.0.1\r\ns=" + PrintableName(name) +
                    "\r\nc=IN IP4 127.0.0.1\r\nt=0 0\r\na=control:*\r\n"
                    "m=video 0 RTP/AVP " +
                    type + "\r\na=rtpmap:" + type + " " + encoding + "/" +
                    std::to_string(kRtpVideoClock) + "\r\n";
  if (!fmtp.empty()) sdp += "a=fmtp:" + type + " " + fmtp + "\r\n";
  sdp += "a=framerate:" + std::to_string(kClipFramesPerSecond) + "\r\na=framesize:" + type + " " +
         std::to_string(clip.clipFormat.width) + "-" + std::to_string(clip.clipFormat.height) +
         "\r\na=control:trackID=0\r\n";
  if (clip.hasAudio) {
    sdp += "m=audio 0 RTP/AVP " + std::to_string(kRtpPcmuType) +
           "\r\na=rtpmap:" + std::to_string(kRtpPcmuType) + " PCMU/" + std::to_string(kAudioRate) +
           "\r\na=control:trackID=1\r\n";
  }
  return sdp;
}

}  // namespace camsim::detail
