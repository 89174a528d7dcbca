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
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(QRect(QPoint(0, 0), screen->geometry().size()));
  }
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);

  const std::vector<QRect> panes = PaneRects(GridSize(m_deviceCount), rect());
  for (const QRect& area : panes) {
    auto* pane = new CStaWnd(this);
    pane->setGeometry(area);
    pane->show();
    PreviewSlot& slot = m_slots[static_cast<std::size_t>(m_paneCount)];
    slot.pane = pane;
    pane->SetRecord(slot.record);
    ++m_paneCount;
  }
  // Devices not logged in are not played; their panes stay black.
  for (int i = 0; i < m_deviceCount; ++i) {
    PreviewSlot& slot = m_slots[static_cast<std::size_t>(i)];
    if (slot.record->loginHandle.load() > 0 && slot.record->loginState.load() > 0) {
      slot.previewHandle.store(StartPreview(*slot.record, &CMULPLay::OnStream, &slot));
    }
  }
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
