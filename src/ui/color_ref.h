// Conversion between the program's COLORREF values and Qt colours.
#pragma once

#include <QColor>

#include "platform/win_types.h"

namespace ui {

inline COLORREF ToColorRef(const QColor& color) {
  return RGB(color.red(), color.green(), color.blue());
}

inline QColor ToQColor(COLORREF color) {
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace ui
