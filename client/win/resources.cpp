#include "win/resources.h"

#include <windows.h>

namespace mirelo::win {

std::wstring LoadTextWide(int id) {
    // LoadStringW with a zero length hands out a pointer to the resource text itself.
    const wchar_t* text = nullptr;
    const int units = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (units <= 0 || text == nullptr) return {};
    return std::wstring(text, static_cast<size_t>(units));
}

std::string LoadText(int id) {
    const std::wstring text = LoadTextWide(id);
    if (text.empty()) return {};
    const int units = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), units, result.data(), bytes, nullptr, nullptr);
    return result;
}

const TextLoader& ResourceTexts() {
    static const TextLoader loader = [](int id) { return LoadText(id); };
    return loader;
}

}  // namespace mirelo::win
