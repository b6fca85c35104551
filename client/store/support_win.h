#pragma once

#include <windows.h>

#include <string>

namespace mirelo {

// True when the path exists and is not a directory.
bool FileExists(const std::string& path);

// True when the path is given, exists and is a directory.
bool DirectoryExists(const std::string& path);

// The folder of the program file with its trailing backslash ("" when the name has none).
std::string GetProgramFolder();

// A value of the module's version resource (the program's own when module is null), "" when absent.
std::string GetVersionString(HMODULE module, const std::string& name);

// Ends this client and every other running one by closing their main windows. A non-zero flag
// asks first when pop-ups are open and QueryCloseApp is on.
void RequestExit(int flag);

}  // namespace mirelo
