// The row layout of the media, motion and system pages: a caption and, to its right, the control
// it names, one row every kRowStep dialog units.
#pragma once

#include "config/pages/settings_page.h"

namespace config {

struct PageRowLayout {
  int labelX;
  int labelWidth;
  int controlX;
  int controlWidth;
};

inline constexpr int kRowStep = 20;
inline constexpr int kRowHeight = 14;
inline constexpr int kLabelHeight = 8;
// A caption sits on the text line of the control beside it.
inline constexpr int kLabelDrop = 3;
// The dropped-down height of a short list.
inline constexpr int kListDropHeight = 60;

inline DluRect LabelRect(const PageRowLayout& layout, int y) {
  return {layout.labelX, y + kLabelDrop, layout.labelWidth, kLabelHeight};
}
inline DluRect ControlRect(const PageRowLayout& layout, int y, int height = kRowHeight) {
  return {layout.controlX, y, layout.controlWidth, height};
}

}  // namespace config
