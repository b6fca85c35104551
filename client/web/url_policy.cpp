#include "web/url_policy.h"

#include "core/text.h"

#include <array>

namespace mirelo {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsForbiddenByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || c == '"';
}

}  // namespace

bool IsOpenableUrl(std::string_view url) {
    for (const char c : url) {
        if (IsForbiddenByte(c)) return false;
    }
    for (const std::string_view scheme : std::array<std::string_view, 2>{"http://", "https://"}) {
        if (!StartsWithNoCase(url, scheme)) continue;
        const std::string_view rest = url.substr(scheme.size());
        // A host must follow: "http:///x" and "http://\\server" name no web server.
        return !rest.empty() && rest.front() != '/' && rest.front() != '\\';
    }
    return false;
}

}  // namespace mirelo
