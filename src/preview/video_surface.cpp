#include "preview/video_surface.h"

#include <QMetaObject>
#include <QPainter>
#include <QWidget>

namespace preview {

VideoSurface::VideoSurface(QWidget& widget)
    : m_widget(widget), m_sink{&VideoSurface::OnPicture, &VideoSurface::OnSize, this} {}

void VideoSurface::SetTarget(const QRect& target) {
  m_target = target;
  m_targetWidth.store(target.width());
  m_targetHeight.store(target.height());
}

void VideoSurface::Paint(QPainter& painter) const {
  if (m_picture.isNull() || m_target.isEmpty()) return;
  painter.drawImage(m_target, m_picture);
}

void VideoSurface::OnSize(void* context, int* width, int* height) {
  auto* surface = static_cast<VideoSurface*>(context);
  *width = surface->m_targetWidth.load();
  *height = surface->m_targetHeight.load();
}

void VideoSurface::OnPicture(void* context, const KMR_PICTURE* picture) {
  auto* surface = static_cast<VideoSurface*>(context);
  if (picture->pixels == nullptr || picture->width <= 0 || picture->height <= 0) return;
  // The player's pixels live only during this call.
  QImage copy = QImage(picture->pixels, picture->width, picture->height, picture->stride,
                       QImage::Format_RGB32)
                    .copy();
  {
    std::lock_guard lock(surface->m_mutex);
    const bool alreadyQueued = !surface->m_waiting.isNull();
    surface->m_waiting = std::move(copy);
    if (alreadyQueued) return;
  }
  // Queued to the widget: dropped by Qt if the widget is gone before it runs.
  QMetaObject::invokeMethod(
      &surface->m_widget, [surface] { surface->TakeWaiting(); }, Qt::QueuedConnection);
}

void VideoSurface::TakeWaiting() {
  {
    std::lock_guard lock(m_mutex);
    if (m_waiting.isNull()) return;
    m_picture = std::move(m_waiting);
    m_waiting = QImage();
  }
  ++m_shown;
  m_widget.update(m_target);
}

}  // namespace preview
