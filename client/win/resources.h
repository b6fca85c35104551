#pragma once

#include <string>

namespace mirelo::win {

// A string-table text in the ANSI code page ("" when the id is missing).
std::string LoadText(int id);

// A string-table text as UTF-16, for names that must not depend on the code page.
std::wstring LoadTextWide(int id);

}  // namespace mirelo::win
