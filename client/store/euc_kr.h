#pragma once

#include <string>
#include <string_view>

#include "core/code_page.h"

namespace mirelo {

// True when the bytes hold only ASCII and pairs of bytes from 0xA1 to 0xFE: the part of code page
// 949 that EUC-KR (KS X 1001) covers.
bool IsEucKrForm(std::string_view bytes);

// Encodes UTF-8 XML text into EUC-KR. Every character EUC-KR lacks (the extra Hangul of code page 949,
// accented Latin letters, emoji, ...) is written as a decimal character reference, so nothing is lost
// as long as such characters stand in attribute values or text, which is where the store keeps them.
std::string Utf8ToEucKrXml(std::string_view utf8, const TextCodec& codec);

// Decodes EUC-KR (read as code page 949, its superset) into UTF-8.
std::string EucKrToUtf8(std::string_view bytes, const TextCodec& codec);

// The text converted from the system's ANSI code page into UTF-8, and back.
std::string AnsiToUtf8(std::string_view ansi, const TextCodec& codec);
std::string Utf8ToAnsi(std::string_view utf8, const TextCodec& codec);

}  // namespace mirelo
