#include "web/http_form.h"

#include <algorithm>

#include "core/text.h"

namespace mirelo {

namespace {

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

}  // namespace

FormParam MakeFormParam(std::string_view name, std::string_view value) {
    return {std::string(name.substr(0, kFormNameLimit)), std::string(value.substr(0, kFormValueLimit)), 1};
}

std::string BuildFormBody(const std::vector<FormParam>& params) {
    std::string body;
    for (const FormParam& param : params) {
        if (!body.empty()) body += '&';
        body += param.name;
        body += '=';
        body += param.value;
        if (body.size() >= kFormBodyLimit) break;
    }
    if (body.size() > kFormBodyLimit) body.resize(kFormBodyLimit);
    return body;
}

bool IsSecureScheme(std::string_view scheme) { return scheme == "https"; }

UrlParts SplitUrl(std::string_view url) {
    UrlParts parts;
    std::size_t hostStart = 0;
    const std::size_t colon = url.find(':');
    if (colon != std::string_view::npos && colon + 1 < url.size() && url[colon + 1] == '/') {
        parts.scheme = url.substr(0, colon);
        hostStart = std::min(colon + 3, url.size());
    } else {
        parts.scheme = "http";
    }
    const std::size_t slash = url.find('/', hostStart);
    const std::size_t hostEnd = slash == std::string_view::npos ? url.size() : slash;
    const std::string_view hostPart = url.substr(hostStart, hostEnd - hostStart);
    if (const std::size_t portColon = hostPart.find(':'); portColon != std::string_view::npos) {
        parts.host = hostPart.substr(0, portColon);
        parts.port = ParseInt(hostPart.substr(portColon + 1));
    } else {
        parts.host = hostPart;
        parts.port = IsSecureScheme(parts.scheme) ? kHttpsPort : kHttpPort;
    }
    if (slash != std::string_view::npos) parts.path = url.substr(slash);
    return parts;
}

}  // namespace mirelo
