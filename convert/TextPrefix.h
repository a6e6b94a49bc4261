#pragma once

#include <cstddef>
#include <string>

// The first `count` characters of a UTF-8 text (all of it when shorter).
// Counted in characters, not bytes: a cut inside a sequence would show as a
// broken character.
std::string FirstCharacters(const std::string& text, std::size_t count);
