#include "preview/watch_video.h"

#include <QPainter>

#include "batch/login_worker.h"
#include "platform/clock.h"
#include "preview/player_ports.h"
#include "preview/preview_ids.h"
#include "preview/preview_stream.h"

namespace preview {
namespace {
// Posted by the login attempts when they have settled.
constexpr UINT kMsgLoginSettled = kMsgStartPreview + 1;
}  // namespace

WatchVideo::WatchVideo(discovery::DeviceRecord& record, batch::Engine& engine, bool loginAllowed,
                       QWidget* parent)
    : Dialog(IDD_WATCH_VIDEO, parent),
      m_record(record),
      m_engine(engine),
      m_loginAllowed(loginAllowed),
      m_surface(*this) {
  setWindowTitle(QStringLiteral("Dialog"));
  resize(DialogUnitsToPixels(0, 0, kWatchVideoWidth, kWatchVideoHeight).size());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

WatchVideo::~WatchVideo() {
  DestroyWindow();
}

BOOL WatchVideo::OnInitDialog() {
  PostMessage(kMsgStartPreview, 0, 0);
  return TRUE;
}

bool WatchVideo::LoggedIn() const {
  return m_record.loginHandle.load() > 0 &&
         m_record.loginState.load() == discovery::kLoginConfirmed;
}

LRESULT WatchVideo::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgStartPreview) {
    // A start that arrives after the window was closed must not log in any more.
    if (m_destroyed) return 0;
    if (LoggedIn() || !m_loginAllowed) {
      Play();
    } else if (!m_login.joinable()) {
      m_login = std::thread([this] { LogIn(); });
    }
    return 0;
  }
  if (message == kMsgLoginSettled) {
    Play();
    return 0;
  }
  return Dialog::OnMessage(message, wParam, lParam);
}

void WatchVideo::LogIn() {
  for (int attempt = 0; attempt < kSingleViewLoginAttempts && !m_closing.load(); ++attempt) {
    if (m_record.loginHandle.load() >= 1 ||
        m_record.loginState.load() == discovery::kLoginConfirmed)
      break;
    batch::LoginAndWait(m_engine, m_record);
  }
  PostMessage(kMsgLoginSettled, 0, 0);
}

void WatchVideo::Play() {
  // Without a login the window stays black; no message is shown.
  if (m_destroyed || !LoggedIn() || m_previewHandle.load() > 0) return;
  m_previewHandle.store(StartPreview(m_record, &WatchVideo::OnStream, this));
}

int WatchVideo::OnStream(int /*previewHandle*/, int dataKind, const unsigned char* data, int size,
                         const NETSDK_FRAME_INFO* frame) {
  auto* window = static_cast<WatchVideo*>(frame->user);
  if (window->m_previewHandle.load() <= 0) return -1;
  if (dataKind != sdk::kStreamHeader) {
    FeedFrame(window->m_port.load(), dataKind, data, size, *frame);
    return 0;
  }
  if (window->m_port.load() == 0) window->m_port.store(TakeSinglePort());
  OpenPort(window->m_port.load(), data, size, true, window->m_surface.Sink());
  return 0;
}

void WatchVideo::DestroyWindow() {
  if (m_destroyed) return;
  m_destroyed = true;
  m_closing.store(true);
  if (m_login.joinable()) m_login.join();
  RemovePendingMessages(kMsgLoginSettled);
  StopPreview(m_previewHandle, m_port);
  platform::Sleep(kCloseWaitMs);
}

void WatchVideo::done(int result) {
  DestroyWindow();
  Dialog::done(result);
}

void WatchVideo::resizeEvent(QResizeEvent* event) {
  Dialog::resizeEvent(event);
  m_surface.SetTarget(rect());
}

void WatchVideo::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  m_surface.Paint(painter);
}

}  // namespace preview
