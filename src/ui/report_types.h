// The data a CReportCtrl row carries and the Win32-shaped values its notifications use.
#pragma once

#include <vector>

#include "platform/win_types.h"

namespace ui {

// Item data of every row, created by the control with the row and owned by it.
struct RowControlBlock {
  void* rowPointer = nullptr;        // the application's object for the row; first field
  std::vector<COLORREF> textColors;  // one per column
  std::vector<COLORREF> backColors;  // one per column
};

// Row state bits, laid out as a Win32 list view's: focus, selection and the state image that
// shows the check box (1 = unchecked, 2 = checked) in bits 12 to 15.
constexpr unsigned kStateFocused = 0x0001;
constexpr unsigned kStateSelected = 0x0002;
constexpr unsigned kStateImageMask = 0xF000;
constexpr unsigned kStateImageUnchecked = 1;
constexpr unsigned kStateImageChecked = 2;
constexpr unsigned kStateAll = kStateFocused | kStateSelected | kStateImageMask;

constexpr unsigned IndexToStateImageMask(unsigned image) {
  return image << 12;
}
constexpr unsigned StateImage(unsigned state) {
  return (state & kStateImageMask) >> 12;
}

// What an item-changed notification reports as changed.
constexpr unsigned kChangedParam = 0x0004;  // the item data was stored (again)
constexpr unsigned kChangedState = 0x0008;  // oldState/newState differ

// One item-changed notification. For kChangedParam both states are 0.
struct ItemChange {
  int row;
  unsigned oldState;
  unsigned newState;
  unsigned changed;
};

// Where a position lies, as a list view's hit test reports it.
constexpr unsigned kHitNowhere = 0x0001;
constexpr unsigned kHitOnLabel = 0x0004;
constexpr unsigned kHitOnStateIcon = 0x0008;  // the row's check box

// Column formats.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCenter = 2;

}  // namespace ui
