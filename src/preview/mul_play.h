// The multi-device preview: a full-screen grid with one pane per device, each playing the device's
// live video (no sound) inside a border that shows its upgrade result. Modal; the records are
// borrowed from the device table for as long as the window lives.
#pragma once

#include <QRect>
#include <array>
#include <atomic>
#include <vector>

#include "batch/table_borrow.h"
#include "discovery/device_record.h"
#include "platform/dialog.h"
#include "preview/preview_ids.h"
#include "preview/sta_wnd.h"
#include "sdk/stream_layout.h"

namespace preview {

struct PreviewSlot {
  discovery::DeviceRecord* record = nullptr;
  CStaWnd* pane = nullptr;
  std::atomic<int> port{0};           // taken on the first stream header
  std::atomic<int> previewHandle{0};  // > 0 while the preview runs
};

// The name reads "multi-play": many devices' live video at once.
class CMULPLay : public platform::Dialog {
 public:
  // At most kMaxPanes records are taken, in the order given.
  explicit CMULPLay(const std::vector<discovery::DeviceRecord*>& records,
                    QWidget* parent = nullptr);
  ~CMULPLay() override;

  // Stops every preview and player port that was started. Idempotent.
  void DestroyWindow();
  void done(int result) override;

  int DeviceCount() const { return m_deviceCount; }
  int PaneCount() const { return m_paneCount; }
  const PreviewSlot& Slot(int index) const { return m_slots[static_cast<std::size_t>(index)]; }

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnCreate();
  // The whole window, frame included, covers the primary screen; where the window manager will
  // not have that, it covers the screen's available area.
  void FitFrameToScreen();
  void LayOutPanes();
  static int OnStream(int previewHandle, int dataKind, const unsigned char* data, int size,
                      const NETSDK_FRAME_INFO* frame);

  batch::TableBorrow m_borrow;
  std::array<PreviewSlot, kMaxPanes> m_slots;
  int m_deviceCount = 0;
  int m_paneCount = 0;
  bool m_destroyed = false;
  // The client area last asked for, and whether the window manager refused the whole screen.
  QRect m_askedClient;
  bool m_wholeScreenRefused = false;
};

}  // namespace preview
