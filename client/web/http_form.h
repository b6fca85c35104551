#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mirelo {

// One form parameter of an HTTP request. Names and values are sent as they are (no percent-encoding):
// the groupware server reads them that way.
struct FormParam {
    std::string name;   // up to kFormNameLimit characters
    std::string value;  // up to kFormValueLimit characters
    int kind = 1;       // 1: a text parameter
};

inline constexpr std::size_t kFormNameLimit = 255;
inline constexpr std::size_t kFormValueLimit = 1023;
inline constexpr std::size_t kFormBodyLimit = 1023;

// The parameter as the form keeps it: name and value cut to their limits.
FormParam MakeFormParam(std::string_view name, std::string_view value);

// "name=value" pairs joined by "&", cut at kFormBodyLimit characters.
std::string BuildFormBody(const std::vector<FormParam>& params);

struct UrlParts {
    std::string scheme;
    std::string host;
    int port = 0;
    std::string path;  // from the first "/" after the host, query included; "" when there is none
    bool operator==(const UrlParts&) const = default;
};

// Splits a URL the way the groupware's clients always have: the scheme is what stands before a ":"
// that is followed by "/" ("http" when there is none); an explicit port follows a ":" in the host
// part, otherwise the port is 443 for exactly "https" and 80 for anything else.
UrlParts SplitUrl(std::string_view url);

// True when the request runs over TLS: the same "https" that selects port 443.
bool IsSecureScheme(std::string_view scheme);

}  // namespace mirelo
