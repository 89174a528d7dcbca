#include "sim/detail/onvif_snapshot.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include <cmath>
#include <memory>

namespace camsim::detail {
namespace {

constexpr int kJpegQuantiser = 3;

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

std::string Fail(std::string* error, const char* reason) {
  *error = reason;
  return {};
}

}  // namespace

int ClipPictureAt(double nowMs) {
  const auto picture = static_cast<long long>(std::floor(nowMs / kClipFrameMs));
  return static_cast<int>(((picture % kClipFrames) + kClipFrames) % kClipFrames);
}

std::string EncodeSnapshot(const std::string& serial, const std::string& address,
                           const ClipFormat& clipFormat, int index, std::string* error) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (codec == nullptr) return Fail(error, "the JPEG encoder is not available");
  std::unique_ptr<AVCodecContext, CodecContextFree> context(avcodec_alloc_context3(codec));
  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  if (!context || !frame || !packet) return Fail(error, "out of memory");
  context->log_level_offset = AV_LOG_VERBOSE - AV_LOG_WARNING;
  context->width = clipFormat.width;
  context->height = clipFormat.height;
  context->time_base = AVRational{1, kClipFramesPerSecond};
  context->pix_fmt = AV_PIX_FMT_YUV420P;
  // JPEG's own range: the encoder takes 4:2:0 frames only when told so.
  context->color_range = AVCOL_RANGE_JPEG;
  context->thread_count = 1;
  // A fixed, fine quantiser: a still is looked at closely, and it is small at these sizes.
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = kJpegQuantiser * FF_QP2LAMBDA;
  if (avcodec_open2(context.get(), codec, nullptr) < 0) return Fail(error, "cannot open mjpeg");
  frame->format = context->pix_fmt;
  frame->width = clipFormat.width;
  frame->height = clipFormat.height;
  frame->color_range = AVCOL_RANGE_JPEG;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return Fail(error, "out of memory");
  DrawClipPicture(frame.get(), index, serial, address);
  frame->pts = 0;
  frame->quality = context->global_quality;
  if (avcodec_send_frame(context.get(), frame.get()) < 0 ||
      avcodec_send_frame(context.get(), nullptr) < 0 ||
      avcodec_receive_packet(context.get(), packet.get()) < 0) {
    return Fail(error, "encoding failed");
  }
  std::string jpeg(reinterpret_cast<const char*>(packet->data),
                   static_cast<std::size_t>(packet->size));
  av_packet_unref(packet.get());
  return jpeg;
}

}  // namespace camsim::detail
