// The player's view of a window: a picture sink whose pictures, delivered on a player thread, are
// copied and handed to the window's own event loop, where the window paints the latest one. While
// the window thread is busy a newer picture replaces the one waiting, so a window that falls
// behind holds one picture per pane, never a backlog.
#pragma once

#include <QImage>
#include <QRect>
#include <atomic>
#include <mutex>

#include "player_sink.h"

class QPainter;
class QWidget;

namespace preview {

class VideoSurface {
 public:
  // widget owns the surface and is repainted when a picture arrives.
  explicit VideoSurface(QWidget& widget);
  VideoSurface(const VideoSurface&) = delete;
  VideoSurface& operator=(const VideoSurface&) = delete;

  // The "window" to hand to IP_KMR_Play. It must not be played after the widget is gone: the
  // window stops its port first.
  KMR_VIDEO_SINK* Sink() { return &m_sink; }
  // The area pictures are shown in; pictures are asked for in its size.
  void SetTarget(const QRect& target);
  // Window thread: the latest picture scaled into the target, if one arrived.
  void Paint(QPainter& painter) const;
  bool HasPicture() const { return !m_picture.isNull(); }
  int PicturesShown() const { return m_shown; }

 private:
  static void OnPicture(void* context, const KMR_PICTURE* picture);
  static void OnSize(void* context, int* width, int* height);
  // Window thread: shows the waiting picture.
  void TakeWaiting();

  QWidget& m_widget;
  KMR_VIDEO_SINK m_sink;
  QRect m_target;  // window thread
  std::atomic<int> m_targetWidth{0};
  std::atomic<int> m_targetHeight{0};
  QImage m_picture;  // window thread
  int m_shown = 0;   // window thread
  std::mutex m_mutex;
  QImage m_waiting;  // guarded by m_mutex: the newest picture not yet taken by the window thread
};

}  // namespace preview
