#include "text/text.h"

#include "text/text_table.h"

namespace texts {

QString Text(TextId id, int languageIndex) {
  const int index = static_cast<int>(id);
  if (index < 0 || index >= kTextPairCount) return {};
  const TextPair& pair = kTextPairs[static_cast<std::size_t>(index)];
  return QString::fromUtf16(languageIndex == kLanguageEnglish ? pair.english : pair.chinese);
}

}  // namespace texts
