#pragma once

#include <windows.h>

#include <string>

namespace mirelo {

// Reads one registry value below a root given by name: "HKCR", "HKLM", "HKCC", "HKCU" or "HKUR"
// (HKEY_USERS), compared exactly. *size is the buffer's size in bytes on input and the value's size
// on output; *type receives the value's type; an empty value name reads the key's default value.
// When the root is unknown, the key cannot be opened for reading, the value is missing or larger
// than the buffer, the buffer keeps what it held, so callers fill it with their default first.
// view may name the registry view (KEY_WOW64_32KEY for values that 32-bit programs wrote).
void ReadRegistryValue(const std::string& root, const std::string& subkey, const std::string& valueName, DWORD* type,
                       DWORD* size, void* buffer, REGSAM view = 0);

}  // namespace mirelo
