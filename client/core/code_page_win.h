#pragma once

#include "core/code_page.h"

namespace mirelo {

// The platform's conversions (MultiByteToWideChar / WideCharToMultiByte).
const TextCodec& SystemCodec();

}  // namespace mirelo
