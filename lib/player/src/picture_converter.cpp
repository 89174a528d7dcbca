#include "picture_converter.h"

#include <algorithm>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace player {
namespace {

// Rows start on a boundary the vector code of libswscale writes fastest to.
constexpr int kRowAlignment = 64;
// The geometries one thread meets at once: the grid's pane size and a single larger view, and
// the odd stream that differs.
constexpr std::size_t kScalers = 4;

}  // namespace

bool PictureConverter::Convert(const AVFrame& frame, int width, int height, KMR_PICTURE* picture) {
  if (frame.width <= 0 || frame.height <= 0 || width <= 0 || height <= 0) return false;
  SwsContext* scaler = ScalerFor(frame, width, height);
  if (scaler == nullptr) return false;
  const int stride = (width * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
  if (!ReservePixels(static_cast<std::size_t>(stride) * height)) return false;
  std::uint8_t* const planes[4] = {m_pixels.get(), nullptr, nullptr, nullptr};
  const int strides[4] = {stride, 0, 0, 0};
  if (sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) != height) {
    return false;
  }
  picture->pixels = m_pixels.get();
  picture->width = width;
  picture->height = height;
  picture->stride = stride;
  picture->timeStamp = frame.pts == AV_NOPTS_VALUE ? 0 : static_cast<int>(frame.pts);
  return true;
}

SwsContext* PictureConverter::ScalerFor(const AVFrame& frame, int width, int height) {
  ++m_uses;
  for (Scaler& scaler : m_scalers) {
    if (scaler.sourceWidth == frame.width && scaler.sourceHeight == frame.height &&
        scaler.sourceFormat == frame.format && scaler.width == width && scaler.height == height) {
      scaler.lastUse = m_uses;
      return scaler.context.get();
    }
  }
  ScaleContextPtr context(
      sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format), width,
                     height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
  if (!context) return nullptr;
  if (m_scalers.size() == kScalers) {
    m_scalers.erase(
        std::min_element(m_scalers.begin(), m_scalers.end(),
                         [](const Scaler& a, const Scaler& b) { return a.lastUse < b.lastUse; }));
  }
  m_scalers.push_back(
      Scaler{frame.width, frame.height, frame.format, width, height, std::move(context), m_uses});
  return m_scalers.back().context.get();
}

// Grows for a larger picture, and gives back a buffer four times larger than needed, so that one
// full-size view does not keep its memory once only small panes are left.
bool PictureConverter::ReservePixels(std::size_t bytes) {
  if (m_pixels && bytes <= m_capacity && bytes * 4 >= m_capacity) return true;
  m_pixels.reset(static_cast<std::uint8_t*>(av_malloc(bytes + AV_INPUT_BUFFER_PADDING_SIZE)));
  m_capacity = m_pixels ? bytes : 0;
  return m_capacity != 0;
}

}  // namespace player
