#include "video_decoder.h"

#include <cstring>

#include "player_format.h"

extern "C" {
#include <libavutil/error.h>
}

namespace player {

VideoDecoder::VideoDecoder(CodecContextPtr context, FramePtr frame)
    : m_context(std::move(context)), m_frame(std::move(frame)) {}

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const VideoFormat& format) {
  const AVCodec* codec =
      avcodec_find_decoder(format.codec == KMR_CODEC_H265 ? AV_CODEC_ID_HEVC : AV_CODEC_ID_H264);
  if (codec == nullptr || format.config.empty()) return nullptr;
  CodecContextPtr context(avcodec_alloc_context3(codec));
  FramePtr frame(av_frame_alloc());
  if (!context || !frame) return nullptr;
  const auto configSize = static_cast<int>(format.config.size());
  // avcodec_free_context frees the extradata with av_free, so it is allocated with av_malloc.
  context->extradata =
      static_cast<std::uint8_t*>(av_mallocz(configSize + AV_INPUT_BUFFER_PADDING_SIZE));
  if (context->extradata == nullptr) return nullptr;
  std::memcpy(context->extradata, format.config.data(), format.config.size());
  context->extradata_size = configSize;
  // Hundreds of ports share two player threads; a decoder of its own threads would only add
  // memory and latency.
  context->thread_count = 1;
  // Parameter sets sent in-band may not ask for a picture larger than any format block allows.
  context->max_pixels = static_cast<std::int64_t>(kMaxSide) * kMaxSide;
  // Without this the decoder only warns about parameter sets it cannot read and opens anyway.
  context->err_recognition |= AV_EF_EXPLODE;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return nullptr;
  // Frames with damage are concealed rather than refused, as a live view wants.
  context->err_recognition &= ~AV_EF_EXPLODE;
  return std::make_unique<VideoDecoder>(std::move(context), std::move(frame));
}

bool VideoDecoder::Decode(const AVPacket& packet,
                          const std::function<void(const AVFrame&)>& onPicture) {
  int result = avcodec_send_packet(m_context.get(), &packet);
  while (result >= 0) {
    result = avcodec_receive_frame(m_context.get(), m_frame.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) break;
    onPicture(*m_frame);
    av_frame_unref(m_frame.get());
  }
  avcodec_flush_buffers(m_context.get());
  return false;
}

}  // namespace player
