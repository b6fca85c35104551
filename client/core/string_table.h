#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace mirelo {

// Loads one text of the program's string table by its id. The Win32 shell passes its resource
// loader; tests pass a table of their own, so that the texts can be checked in both languages.
using TextLoader = std::function<std::string(int stringId)>;

// Fills the "%s" places of a string-table format in order, as sprintf would with text arguments.
// "%%" stands for one "%"; any other "%" is kept. A place without an argument becomes empty, so a
// translated format with one place too many cannot read past the arguments.
std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace mirelo
