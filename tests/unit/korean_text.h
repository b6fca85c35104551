#pragma once

#include "core/code_page.h"
#include "core/code_page_posix.h"

#include <string>
#include <string_view>

namespace mirelo::testing {

// The code page 949 bytes of a text written in UTF-8, as the client holds Korean text at run time.
inline std::string Cp949(std::string_view utf8) {
    static const IconvCodec codec("CP949");
    return codec.Encode(Utf8ToUtf16(utf8), CodePage::Korean);
}

}  // namespace mirelo::testing
