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
  // Queued to the widget: dropped by Qt if the widget is gone before it runs.
  QMetaObject::invokeMethod(
      &surface->m_widget,
      [surface, copy = std::move(copy)]() mutable {
        surface->m_picture = std::move(copy);
        ++surface->m_shown;
        surface->m_widget.update(surface->m_target);
      },
      Qt::QueuedConnection);
}

}  // namespace preview
