// The type-aware comparison of two cell texts that orders the list when a column is sorted.
#pragma once

#include <QString>

namespace ui {

// What one text is as each of the comparison's kinds. Every kind is decided for the text alone,
// so a sort can work each row's text out once and compare keys.
struct SortKey {
  QString text;

  // Consumed whole by a base-16 unsigned conversion (C wcstoul rules: leading blanks, a sign, an
  // optional 0x): the magnitude's digits in upper case without leading zeros, and the sign.
  bool isHex = false;
  bool hexNegative = false;
  QString hexDigits;

  // Consumed whole by a floating-point conversion (C wcstod rules), one trailing '%' allowed.
  bool isNumber = false;
  double number = 0.0;

  // A date or time by the date parser, as a value that grows with the point in time.
  bool isDate = false;
  double time = 0.0;
};

SortKey MakeSortKey(const QString& text);

// Negative, zero or positive as a sorts before, with or after b (ascending): both hexadecimal
// numbers compare as numbers; else both floating-point numbers; else both dates as points in
// time; else the texts code unit by code unit, case-sensitively.
int CompareSortKeys(const SortKey& a, const SortKey& b);

// CompareSortKeys on the keys of two texts.
int CompareItemTexts(const QString& a, const QString& b);

}  // namespace ui
