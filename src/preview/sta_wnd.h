// One pane of the multi-device preview: black, the device's video inside a 5-pixel margin, and
// along the client edges a solid border in the colour of the device's upgrade result, green for
// upgraded, red for failed, none without a result.
#pragma once

#include <QWidget>

#include "discovery/device_record.h"
#include "platform/win_types.h"
#include "preview/video_surface.h"

namespace preview {

constexpr COLORREF kUpgradedColour = RGB(0, 255, 0);
constexpr COLORREF kFailedColour = RGB(255, 0, 0);

// The name reads "status window": the pane shows a device's state as well as its video.
class CStaWnd : public QWidget {
 public:
  explicit CStaWnd(QWidget* parent = nullptr);

  void SetBackground(COLORREF colour) { m_background = colour; }
  // May be null: a pane beyond the devices stays black.
  void SetRecord(const discovery::DeviceRecord* record) { m_record = record; }
  const discovery::DeviceRecord* Record() const { return m_record; }
  VideoSurface& Surface() { return m_surface; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  COLORREF m_background = 0;
  const discovery::DeviceRecord* m_record = nullptr;
  VideoSurface m_surface;
};

}  // namespace preview
