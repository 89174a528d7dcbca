#include "preview/sta_wnd.h"

#include <QPainter>

#include "preview/preview_ids.h"

namespace preview {
namespace {

QColor ToColor(COLORREF colour) {
  return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

}  // namespace

CStaWnd::CStaWnd(QWidget* parent) : QWidget(parent), m_surface(*this) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CStaWnd::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The video keeps clear of the border, whether or not the pane has one.
  m_surface.SetTarget(rect().adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth));
}

void CStaWnd::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), ToColor(m_background));
  m_surface.Paint(painter);
  const discovery::UpgradeResult result =
      m_record != nullptr ? m_record->upgradeResult.load() : discovery::kUpgradeNone;
  if (result != discovery::kUpgradeSucceeded && !discovery::UpgradeFailed(result)) return;
  const QColor border =
      ToColor(result == discovery::kUpgradeSucceeded ? kUpgradedColour : kFailedColour);
  const QRect client = rect();
  painter.fillRect(QRect(client.left(), client.top(), client.width(), kBorderWidth), border);
  painter.fillRect(
      QRect(client.left(), client.bottom() - kBorderWidth + 1, client.width(), kBorderWidth),
      border);
  painter.fillRect(QRect(client.left(), client.top(), kBorderWidth, client.height()), border);
  painter.fillRect(
      QRect(client.right() - kBorderWidth + 1, client.top(), kBorderWidth, client.height()),
      border);
}

}  // namespace preview
