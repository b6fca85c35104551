#pragma once

#include <string_view>

namespace mirelo {

// True when a URL that came from outside may be handed to a browser or the shell: it is an absolute
// "http://" or "https://" URL (scheme in any case) with a host, and it holds no control character
// and no double quote (the shell puts the URL between quotes on the browser's command line).
// Anything else (a path, "file:", "javascript:", a UNC name, ...) would let a sender run a program.
bool IsOpenableUrl(std::string_view url);

}  // namespace mirelo
