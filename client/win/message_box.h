#pragma once

#include <windows.h>

#include <string>

namespace mirelo::win {

inline constexpr char kProgramName[] = "Mirelo";

// A modal message box; every one is logged ("[Mirelo] message box: <text>") so that what the user
// was told can be seen. The caption defaults to the program's name.
int ShowMessageBox(HWND owner, const std::string& text, UINT flags, const std::string& caption = kProgramName);

}  // namespace mirelo::win
