#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "web/http_form.h"
#include "win/handles.h"
#include "win/lazy_library.h"

namespace mirelo {

inline void CloseInternetHandle(HINTERNET handle) { LAZY_CALL(WinInet, InternetCloseHandle, FALSE, handle); }
using UniqueInternetHandle = win::UniqueHandle<HINTERNET, CloseInternetHandle, nullptr>;

// Posts form parameters to a web server over WinINet (HTTP/1.0, url-encoded body, no percent-encoding)
// and keeps the response's body and raw headers. Synchronous: one request blocks the calling thread,
// so each object belongs to one thread. An "https" URL runs over TLS. The status line is not examined:
// any response counts as an answer.
class HttpFormClient {
public:
    static constexpr std::size_t kBufferSize = 100000;

    HttpFormClient();
    HttpFormClient(const HttpFormClient&) = delete;
    HttpFormClient& operator=(const HttpFormClient&) = delete;

    void AddParam(const std::string& name, const std::string& value);
    void ClearParams() { params_.clear(); }

    // Posts the parameters to the URL with the agent text as user agent. Returns 1 when a response
    // body of at least one byte was read, else 0 (the cause is in LastError()).
    int Request(const std::string& url, const std::string& agent);

    // The body of the last response, NUL-terminated, cut at kBufferSize bytes.
    const char* Body() const { return body_.data(); }
    std::size_t BodyLength() const { return bodyLength_; }
    // The raw response headers, lines ending in CR LF.
    const char* RawHeaders() const { return rawHeaders_.data(); }
    DWORD LastError() const { return lastError_; }

private:
    bool Open(const UrlParts& parts, const std::string& agent);
    bool Post(const UrlParts& parts);
    bool ReadResponse();
    bool Fail(DWORD error);
    void CloseHandles();

    std::vector<FormParam> params_;
    std::vector<char> body_;
    std::vector<char> rawHeaders_;
    UniqueInternetHandle session_;
    UniqueInternetHandle connection_;
    UniqueInternetHandle request_;
    DWORD lastError_ = 0;
    // Kept per object, so that clients on several threads read at the same time without sharing it.
    std::size_t bodyLength_ = 0;
};

}  // namespace mirelo
