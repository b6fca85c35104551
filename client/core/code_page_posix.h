#pragma once

#include "core/code_page.h"

#include <string>

namespace mirelo {

// glibc iconv conversions for the native build; the ANSI code page is given by name ("CP949",
// "CP1252").
class IconvCodec final : public TextCodec {
public:
    explicit IconvCodec(std::string ansiCodePage = "CP949");
    std::u16string Decode(std::string_view bytes, CodePage page) const override;
    std::string Encode(std::u16string_view text, CodePage page) const override;

private:
    const char* Name(CodePage page) const;
    std::string ansi_;
};

}  // namespace mirelo
