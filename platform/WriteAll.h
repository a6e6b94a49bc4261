#pragma once

#include <string_view>

// Writes every byte to the descriptor, going on after a short write or an
// interrupted call. False when the system refused a write.
bool WriteAll(int descriptor, std::string_view bytes);
