#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mirelo_send {

// Why a text could not be converted exactly.
struct EncodeFailure {
    bool notUtf8 = false;
    std::string codePoint;  // "U+0E01": the first character the code page lacks
};

// UTF-8 text (from the command line or a file) in another code page (an iconv name such as
// "CP949" or "CP1252"), exactly: a text that is not UTF-8, or that holds a character the code page
// lacks, gives nullopt and *failure says which.
std::optional<std::string> EncodeExactly(std::string_view utf8, const std::string& codePage, EncodeFailure* failure);

// How many leading bytes of the UTF-8 text fit in limit bytes once sent in the code page ("" sends
// the UTF-8 itself): a cut there splits no character of the text nor of what is sent. A byte that
// starts no UTF-8 character counts as one character.
std::size_t FittingPrefix(std::string_view utf8, std::size_t limit, const std::string& codePage);

}  // namespace mirelo_send
