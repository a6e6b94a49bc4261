#include "TextPrefix.h"

namespace {

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!StartsCharacter(text[i])) continue;
    if (characters == count) return text.substr(0, i);
    ++characters;
  }
  return text;
}
