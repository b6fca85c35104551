#include "store/registry_win.h"

#include "win/handles.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace mirelo {

namespace {

HKEY RootKey(const std::string& name) {
    static const std::array<std::pair<const char*, HKEY>, 5> roots = {{
        {"HKCR", HKEY_CLASSES_ROOT},
        {"HKLM", HKEY_LOCAL_MACHINE},
        {"HKCC", HKEY_CURRENT_CONFIG},
        {"HKCU", HKEY_CURRENT_USER},
        {"HKUR", HKEY_USERS},
    }};
    for (const auto& [rootName, key] : roots) {
        if (name == rootName) return key;
    }
    return nullptr;
}

}  // namespace

void ReadRegistryValue(const std::string& root, const std::string& subkey, const std::string& valueName, DWORD* type,
                       DWORD* size, void* buffer, REGSAM view) {
    const HKEY rootKey = RootKey(root);
    if (rootKey == nullptr || size == nullptr || buffer == nullptr) return;
    win::UniqueRegistryKey key;
    if (RegOpenKeyExA(rootKey, subkey.c_str(), 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS) return;
    // The value is read into a copy first: a value too large for the buffer leaves the buffer's
    // contents undefined, and callers rely on their default staying in place.
    std::vector<BYTE> scratch(*size);
    DWORD valueType = REG_NONE;
    DWORD valueSize = *size;
    const LONG result = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &valueType, scratch.data(), &valueSize);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) return;
    if (type != nullptr) *type = valueType;
    if (result == ERROR_SUCCESS && valueSize <= scratch.size()) std::memcpy(buffer, scratch.data(), valueSize);
    *size = valueSize;
}

}  // namespace mirelo
