#include "Language.h"

#include "platform/AsciiText.h"

#include <string>

namespace {

// A code of the table, some of which are empty ("" for no 639-1 code).
bool IsCode(const std::string& tag, const char* code) { return *code != '\0' && EqualsIgnoringCase(tag, code); }

}  // namespace

const LanguageCodes* FindLanguage(std::string_view tag) {
  const std::string primary(tag.substr(0, tag.find_first_of("-_")));
  if (primary.size() != 2 && primary.size() != 3) return nullptr;
  for (const LanguageCodes& language : LanguageTable()) {
    if (IsCode(primary, language.iso6391) || IsCode(primary, language.terminology) ||
        IsCode(primary, language.bibliographic)) {
      return &language;
    }
  }
  return nullptr;
}

bool IsSameLanguage(std::string_view one, std::string_view other) {
  const LanguageCodes* language = FindLanguage(one);
  return language && language == FindLanguage(other);
}
