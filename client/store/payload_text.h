#pragma once

#include <string>
#include <string_view>

#include "core/code_page.h"

namespace mirelo {

// Converts a text field of a binary payload as LevelDigit asks: 0 keeps the bytes; 1 converts from
// UTF-8 to the ANSI code page; 2 to 9 convert only when the round trip through the code page
// replaces nothing, so a field that was not UTF-8 (or holds characters the code page lacks) stays as
// received. Works for fields of any length.
std::string ReadPayloadText(std::string_view bytes, int levelDigit, const TextCodec& codec);

}  // namespace mirelo
