#include "preview/mul_play.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "preview/grid_layout.h"
#include "preview/player_ports.h"
#include "preview/preview_stream.h"

namespace preview {

CMULPLay::CMULPLay(const std::vector<discovery::DeviceRecord*>& records, QWidget* parent)
    : Dialog(IDD_MUL_PLAY, parent) {
  setWindowTitle(QStringLiteral("Dialog"));
  resize(DialogUnitsToPixels(0, 0, kMulPlayWidth, kMulPlayHeight).size());
  m_deviceCount = std::min(static_cast<int>(records.size()), kMaxPanes);
  for (int i = 0; i < m_deviceCount; ++i) m_slots[static_cast<std::size_t>(i)].record = records[i];
  OnCreate();
}

CMULPLay::~CMULPLay() {
  DestroyWindow();
}

void CMULPLay::OnCreate() {
  FitFrameToScreen();
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);

  const std::size_t paneCount = PaneRects(GridSize(m_deviceCount), rect()).size();
  for (; static_cast<std::size_t>(m_paneCount) < paneCount; ++m_paneCount) {
    auto* pane = new CStaWnd(this);
    pane->show();
    PreviewSlot& slot = m_slots[static_cast<std::size_t>(m_paneCount)];
    slot.pane = pane;
    pane->SetRecord(slot.record);
  }
  LayOutPanes();
  // Devices not logged in are not played; their panes stay black.
  for (int i = 0; i < m_deviceCount; ++i) {
    PreviewSlot& slot = m_slots[static_cast<std::size_t>(i)];
    if (slot.record->loginHandle.load() > 0 &&
        slot.record->loginState.load() == discovery::kLoginConfirmed) {
      slot.previewHandle.store(StartPreview(*slot.record, &CMULPLay::OnStream, &slot));
    }
  }
}

void CMULPLay::FitFrameToScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
  QRect wanted = (m_wholeScreenRefused ? screen->availableGeometry() : screen->geometry())
                     .marginsRemoved(margins);
  if (client == wanted) return;
  if (wanted == m_askedClient) {
    // Asked for already, and placed otherwise: the window manager keeps part of the screen. It
    // gets one more request, for the available area, and is never fought.
    if (m_wholeScreenRefused) return;
    m_wholeScreenRefused = true;
    wanted = screen->availableGeometry().marginsRemoved(margins);
    if (client == wanted) return;
  }
  m_askedClient = wanted;
  setGeometry(wanted);
}

void CMULPLay::LayOutPanes() {
  const std::vector<QRect> panes = PaneRects(GridSize(m_deviceCount), rect());
  for (int i = 0; i < m_paneCount; ++i) {
    m_slots[static_cast<std::size_t>(i)].pane->setGeometry(panes[static_cast<std::size_t>(i)]);
  }
}

// The frame is known only once the window manager has put it around the window.
void CMULPLay::showEvent(QShowEvent* event) {
  Dialog::showEvent(event);
  FitFrameToScreen();
}

void CMULPLay::moveEvent(QMoveEvent* event) {
  Dialog::moveEvent(event);
  FitFrameToScreen();
}

// Whatever size the window ends up with, every pane and its border stays inside it.
void CMULPLay::resizeEvent(QResizeEvent* event) {
  Dialog::resizeEvent(event);
  LayOutPanes();
}

int CMULPLay::OnStream(int /*previewHandle*/, int dataKind, const unsigned char* data, int size,
                       const NETSDK_FRAME_INFO* frame) {
  auto* slot = static_cast<PreviewSlot*>(frame->user);
  if (slot->previewHandle.load() <= 0) return -1;
  if (dataKind != sdk::kStreamHeader) {
    FeedFrame(slot->port.load(), dataKind, data, size, *frame);
    return 0;
  }
  if (slot->port.load() == 0) slot->port.store(TakeGridPort());
  // The grid plays no sound.
  OpenPort(slot->port.load(), data, size, false,
           slot->pane != nullptr ? slot->pane->Surface().Sink() : nullptr);
  return 0;
}

void CMULPLay::DestroyWindow() {
  if (m_destroyed) return;
  m_destroyed = true;
  for (int i = 0; i < m_deviceCount; ++i) {
    PreviewSlot& slot = m_slots[static_cast<std::size_t>(i)];
    StopPreview(slot.previewHandle, slot.port);
  }
}

void CMULPLay::done(int result) {
  DestroyWindow();
  Dialog::done(result);
}

}  // namespace preview
