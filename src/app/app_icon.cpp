#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace app {
namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  // A rounded tile, a camera body and a lens with a highlight.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(28, 46, 74));
  painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
  painter.setBrush(QColor(230, 236, 242));
  painter.drawRoundedRect(QRectF(s * 0.12, s * 0.30, s * 0.62, s * 0.42), s * 0.06, s * 0.06);
  painter.drawPolygon(QPolygonF({QPointF(s * 0.74, s * 0.42), QPointF(s * 0.90, s * 0.32),
                                 QPointF(s * 0.90, s * 0.70), QPointF(s * 0.74, s * 0.60)}));
  painter.setBrush(QColor(28, 46, 74));
  painter.drawEllipse(QPointF(s * 0.43, s * 0.51), s * 0.15, s * 0.15);
  painter.setBrush(QColor(64, 196, 120));
  painter.drawEllipse(QPointF(s * 0.43, s * 0.51), s * 0.08, s * 0.08);
  painter.setBrush(QColor(255, 92, 72));
  painter.drawEllipse(QPointF(s * 0.22, s * 0.38), s * 0.035, s * 0.035);
  return pixmap;
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace app
