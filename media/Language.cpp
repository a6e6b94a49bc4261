#include "Language.h"

#include <algorithm>
#include <cctype>

namespace {

bool EqualsIgnoringCase(std::string_view tag, const char* code) {
  const std::string_view other(code);
  return !other.empty() && tag.size() == other.size() &&
         std::equal(tag.begin(), tag.end(), other.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

}  // namespace

const LanguageCodes* FindLanguage(std::string_view tag) {
  tag = tag.substr(0, tag.find_first_of("-_"));
  if (tag.size() != 2 && tag.size() != 3) return nullptr;
  for (const LanguageCodes& language : LanguageTable()) {
    if (EqualsIgnoringCase(tag, language.iso6391) || EqualsIgnoringCase(tag, language.terminology) ||
        EqualsIgnoringCase(tag, language.bibliographic)) {
      return &language;
    }
  }
  return nullptr;
}

bool IsSameLanguage(std::string_view one, std::string_view other) {
  const LanguageCodes* language = FindLanguage(one);
  return language && language == FindLanguage(other);
}
