// The live-stream records: the preview request given to IP_NET_DVR_RealPlayEx, the frame record of
// every stream data callback, and the stream header that opens the player.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sdk/sdk.h"

namespace sdk {

using PreviewRequest = NETSDK_PREVIEW_INFO;
using FrameRecord = NETSDK_FRAME_INFO;

static_assert(offsetof(PreviewRequest, channel) == 0);
static_assert(offsetof(PreviewRequest, streamType) == 4);
static_assert(offsetof(PreviewRequest, linkMode) == 8);
static_assert(offsetof(PreviewRequest, user) == 16);
static_assert(offsetof(FrameRecord, frameKind) == 0);
static_assert(offsetof(FrameRecord, timeStamp) == 8);
static_assert(offsetof(FrameRecord, user) == 16);

// Stream data kinds.
constexpr int kStreamVideo = 0;
constexpr int kStreamAudio = 1;
constexpr int kStreamHeader = 2;

// The stream header as delivered with data kind 2.
class StreamHeaderView {
 public:
  static constexpr std::size_t kHasVideoOffset = 32;
  static constexpr std::size_t kHasAudioOffset = 34;
  static constexpr std::size_t kVideoFormatOffset = 36;
  static constexpr std::size_t kVideoFormatSize = 536;
  static constexpr std::size_t kAudioFormatOffset = 572;
  static constexpr std::size_t kAudioFormatSize = 276;
  static constexpr std::size_t kSize = kAudioFormatOffset + kAudioFormatSize;

  StreamHeaderView(const unsigned char* data, int size) : m_data(data), m_size(size) {}

  // False when the buffer is too short to hold a header.
  bool IsComplete() const { return m_data != nullptr && m_size >= static_cast<int>(kSize); }
  bool HasVideo() const { return IsComplete() && Flag(kHasVideoOffset) != 0; }
  bool HasAudio() const { return IsComplete() && Flag(kHasAudioOffset) != 0; }
  const unsigned char* VideoFormat() const { return m_data + kVideoFormatOffset; }
  const unsigned char* AudioFormat() const { return m_data + kAudioFormatOffset; }

 private:
  std::uint16_t Flag(std::size_t offset) const {
    return static_cast<std::uint16_t>(m_data[offset] | (m_data[offset + 1] << 8));
  }

  const unsigned char* m_data;
  int m_size;
};

static_assert(StreamHeaderView::kHasVideoOffset == STREAM_HEADER_HAS_VIDEO);
static_assert(StreamHeaderView::kHasAudioOffset == STREAM_HEADER_HAS_AUDIO);
static_assert(StreamHeaderView::kVideoFormatOffset == STREAM_HEADER_VIDEO_FORMAT);
static_assert(StreamHeaderView::kVideoFormatSize == STREAM_HEADER_VIDEO_FORMAT_SIZE);
static_assert(StreamHeaderView::kAudioFormatOffset == STREAM_HEADER_AUDIO_FORMAT);
static_assert(StreamHeaderView::kAudioFormatSize == STREAM_HEADER_AUDIO_FORMAT_SIZE);
static_assert(StreamHeaderView::kSize == STREAM_HEADER_SIZE);

}  // namespace sdk
