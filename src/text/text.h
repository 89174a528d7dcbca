// Bilingual text lookup: every text of the main window and the batch is taken from the text pair
// table in the language in force at the moment it is shown or stored.
#pragma once

#include <QString>

#include "text/text_id.h"

namespace texts {

inline constexpr int kLanguageChinese = 0;
inline constexpr int kLanguageEnglish = 1;

// Only these two indexes re-title the main window; any other leaves it as it is.
constexpr bool IsLanguageIndex(int index) {
  return index == kLanguageChinese || index == kLanguageEnglish;
}

// The text of pair id in the given language. An unknown language index gives the Chinese text,
// the language every start begins in; an id outside the table gives an empty text.
QString Text(TextId id, int languageIndex);

}  // namespace texts
