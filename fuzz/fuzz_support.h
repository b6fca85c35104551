#pragma once

// Shared by the fuzz targets: the code page the client meets on Korean desktops, and a way to stop
// at a broken promise that the sanitizers would not see.

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/code_page_posix.h"

namespace mirelo::fuzz {

inline const TextCodec& Codec() {
    static const IconvCodec codec("CP949");
    return codec;
}

inline std::string_view Bytes(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Aborts, so that libFuzzer keeps the input, when a property of the decoder does not hold.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz: property broken: %s\n", what);
        std::abort();
    }
}

}  // namespace mirelo::fuzz
