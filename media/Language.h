#pragma once

#include "LanguageTable.h"

#include <string_view>

// The language a container's tag names: an ISO 639-1 ("fr"), 639-2/B
// ("fre") or 639-2/T ("fra") code in any case, or an IETF tag whose primary
// part is one ("fr-CA"). nullptr for "und", an empty tag and anything else.
const LanguageCodes* FindLanguage(std::string_view tag);

// Whether two tags name one language; a tag that names none matches nothing,
// not even itself.
bool IsSameLanguage(std::string_view one, std::string_view other);
