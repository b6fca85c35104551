#pragma once

#include <string>

#include "core/string_table.h"

namespace mirelo::win {

// A string-table text in the ANSI code page ("" when the id is missing).
std::string LoadText(int id);

// The program's string table as the platform-free code takes it.
const TextLoader& ResourceTexts();

// A string-table text as UTF-16, for names that must not depend on the code page.
std::wstring LoadTextWide(int id);

}  // namespace mirelo::win
