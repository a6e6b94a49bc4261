#pragma once

#include <vector>

// One language of ISO 639-2 with its codes: the two-letter ISO 639-1 code
// (empty for the many that have none), the 639-2 terminology code and the
// 639-2 bibliographic code (the same as the terminology one for all but
// twenty languages), and its English name.
struct LanguageCodes {
  const char* iso6391;
  const char* terminology;
  const char* bibliographic;
  const char* name;
};

// Every language of ISO 639-2 but "und" (undetermined) and the local-use
// range.
const std::vector<LanguageCodes>& LanguageTable();
