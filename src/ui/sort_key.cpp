#include "ui/sort_key.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cwchar>
#include <string>

#include "platform/date_parser.h"

namespace ui {
namespace {

bool IsCSpace(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool IsHexDigit(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

// The whole text as wcstoul(text, &end, 16) reads it. The value is kept as its digits rather than
// an unsigned long, so that long serial numbers do not all saturate to one value and a leading
// minus sign gives a negative number instead of a wrapped-around huge one.
void ReadHex(const QString& text, SortKey* key) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  // "0x" is a prefix only when a digit follows; otherwise the 0 is the number and the x is left.
  if (i + 2 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
      IsHexDigit(text[i + 2])) {
    i += 2;
  }
  const qsizetype digitsStart = i;
  while (i < n && IsHexDigit(text[i])) ++i;
  if (i == digitsStart || i != n) return;

  qsizetype firstSignificant = digitsStart;
  while (firstSignificant < n - 1 && text[firstSignificant] == u'0') ++firstSignificant;
  key->isHex = true;
  key->hexDigits = text.sliced(firstSignificant).toUpper();
  key->hexNegative = negative && key->hexDigits != u"0";
}

// wcstod in the C locale, whatever locale the process runs in: the decimal point is always '.'.
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
  return locale;
}

void ReadNumber(const QString& text, SortKey* key) {
  const std::wstring wide = text.toStdWString();
  const wchar_t* begin = wide.c_str();
  wchar_t* end = nullptr;
  const double value = wcstod_l(begin, &end, CLocale());
  if (end == begin) return;
  if (*end == L'%') ++end;
  if (end != begin + wide.size()) return;
  key->isNumber = true;
  key->number = value;
}

void ReadDate(const QString& text, SortKey* key) {
  const auto date = platform::ParseDate(text);
  if (!date) return;
  // Before 1899-12-30 the day counts down while the time of day still counts up from it.
  const double value = *date;
  key->isDate = true;
  key->time = value < 0 ? 2 * std::ceil(value) - value : value;
}

int CompareHex(const SortKey& a, const SortKey& b) {
  if (a.hexNegative != b.hexNegative) return a.hexNegative ? -1 : 1;
  int magnitude = Sign(static_cast<int>(a.hexDigits.size() - b.hexDigits.size()));
  if (magnitude == 0) magnitude = Sign(QString::compare(a.hexDigits, b.hexDigits));
  return a.hexNegative ? -magnitude : magnitude;
}

template <typename T>
int CompareValues(T a, T b) {
  return (a > b) - (a < b);
}

}  // namespace

SortKey MakeSortKey(const QString& text) {
  SortKey key;
  key.text = text;
  if (!text.isEmpty()) {
    ReadHex(text, &key);
    ReadNumber(text, &key);
    ReadDate(text, &key);
  }
  return key;
}

int CompareSortKeys(const SortKey& a, const SortKey& b) {
  if (a.isHex && b.isHex) return CompareHex(a, b);
  if (a.isNumber && b.isNumber) return CompareValues(a.number, b.number);
  if (a.isDate && b.isDate) return CompareValues(a.time, b.time);
  return Sign(QString::compare(a.text, b.text, Qt::CaseSensitive));
}

int CompareItemTexts(const QString& a, const QString& b) {
  return CompareSortKeys(MakeSortKey(a), MakeSortKey(b));
}

}  // namespace ui
