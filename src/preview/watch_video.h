// The single-device preview: one device's live video with its sound, on black, opened by a
// double-click on its row. A device that is not logged in is logged in first (outside a run);
// the login stays open when the window closes. Modal; the record is borrowed from the table.
#pragma once

#include <atomic>
#include <thread>

#include "batch/table_borrow.h"
#include "discovery/device_record.h"
#include "platform/dialog.h"
#include "preview/video_surface.h"
#include "sdk/stream_layout.h"

namespace batch {
class Engine;
}

namespace preview {

class WatchVideo : public platform::Dialog {
 public:
  // loginAllowed false (a run is under way): a device that is not logged in is not played, so
  // that no login of a device the run works on is reset here.
  WatchVideo(discovery::DeviceRecord& record, batch::Engine& engine, bool loginAllowed,
             QWidget* parent);
  ~WatchVideo() override;

  BOOL OnInitDialog();
  // Stops the preview and its port, waits 200 ms. Idempotent.
  void DestroyWindow();
  void done(int result) override;

  int PreviewHandle() const { return m_previewHandle.load(); }
  int Port() const { return m_port.load(); }
  const VideoSurface& Surface() const { return m_surface; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool LoggedIn() const;
  void LogIn();
  void Play();
  static int OnStream(int previewHandle, int dataKind, const unsigned char* data, int size,
                      const NETSDK_FRAME_INFO* frame);

  batch::TableBorrow m_borrow;
  discovery::DeviceRecord& m_record;
  batch::Engine& m_engine;
  const bool m_loginAllowed;
  std::atomic<int> m_previewHandle{0};
  std::atomic<int> m_port{0};
  VideoSurface m_surface;
  // The logins run beside the window so that it stays responsive for up to three attempts.
  std::thread m_login;
  std::atomic<bool> m_closing{false};
  bool m_destroyed = false;
};

}  // namespace preview
