// One port's H.264 or H.265 decoder: access units in, decoded pictures out, in the order they are
// shown.
#pragma once

#include <functional>
#include <memory>

#include "ffmpeg_handles.h"
#include "format_block.h"

namespace player {

class VideoDecoder {
 public:
  // Null when the decoder refuses the format's configuration.
  static std::unique_ptr<VideoDecoder> Open(const VideoFormat& format);
  VideoDecoder(CodecContextPtr context, FramePtr frame);

  // Decodes one access unit (padded as FFmpeg requires) and hands each picture it completes to
  // onPicture. False on a decoder error: the decoder is flushed, as the pictures that would follow
  // miss their references.
  bool Decode(const AVPacket& packet, const std::function<void(const AVFrame&)>& onPicture);

 private:
  CodecContextPtr m_context;
  FramePtr m_frame;
};

}  // namespace player
