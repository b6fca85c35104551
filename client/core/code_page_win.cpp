#include "core/code_page_win.h"

#include <windows.h>

namespace mirelo {

namespace {

UINT Id(CodePage page) {
    switch (page) {
        case CodePage::Utf8: return CP_UTF8;
        case CodePage::Korean: return 949;
        case CodePage::Ansi: break;
    }
    return CP_ACP;
}

class Win32Codec final : public TextCodec {
public:
    std::u16string Decode(std::string_view bytes, CodePage page) const override {
        if (bytes.empty()) return {};
        const int size = static_cast<int>(bytes.size());
        const int units = MultiByteToWideChar(Id(page), 0, bytes.data(), size, nullptr, 0);
        std::u16string out(static_cast<size_t>(units > 0 ? units : 0), u'\0');
        if (units > 0) {
            MultiByteToWideChar(Id(page), 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), units);
        }
        return out;
    }

    std::string Encode(std::u16string_view text, CodePage page) const override {
        if (text.empty()) return {};
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int size = static_cast<int>(text.size());
        const int bytes = WideCharToMultiByte(Id(page), 0, wide, size, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
        if (bytes > 0) WideCharToMultiByte(Id(page), 0, wide, size, out.data(), bytes, nullptr, nullptr);
        return out;
    }
};

}  // namespace

const TextCodec& SystemCodec() {
    static const Win32Codec codec;
    return codec;
}

}  // namespace mirelo
