#include "web/http_form_client_win.h"

#include <algorithm>

namespace mirelo {

namespace {

constexpr DWORD kReadPiece = 1024;
// Without limits a server that accepts the connection and never answers would keep the request's
// thread forever; one such thread is started per notification.
constexpr DWORD kTimeoutMs = 30000;
constexpr char kContentType[] = "Content-Type: application/x-www-form-urlencoded\r\n";
constexpr char kAcceptHeader[] = "Accept: */*\r\n";
constexpr DWORD kConnectFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;

}  // namespace

HttpFormClient::HttpFormClient() : body_(kBufferSize + 1, '\0'), rawHeaders_(kBufferSize + 1, '\0') {}

void HttpFormClient::AddParam(const std::string& name, const std::string& value) {
    params_.push_back(MakeFormParam(name, value));
}

int HttpFormClient::Request(const std::string& url, const std::string& agent) {
    const UrlParts parts = SplitUrl(url);
    bodyLength_ = 0;
    const bool answered = Open(parts, agent) && Post(parts) && ReadResponse();
    CloseHandles();
    return answered && bodyLength_ > 0 ? 1 : 0;
}

bool HttpFormClient::Fail(DWORD error) {
    lastError_ = error;
    return false;
}

void HttpFormClient::CloseHandles() {
    request_.Reset();
    connection_.Reset();
    session_.Reset();
}

bool HttpFormClient::Open(const UrlParts& parts, const std::string& agent) {
    session_.Reset(LAZY_CALL(WinInet, InternetOpenA, nullptr, agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, "", "", 0));
    if (!session_) return Fail(GetLastError());
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD timeout = kTimeoutMs;
        LAZY_CALL(WinInet, InternetSetOptionA, FALSE, session_.Get(), option, &timeout, sizeof(timeout));
    }
    connection_.Reset(LAZY_CALL(WinInet, InternetConnectA, nullptr, session_.Get(), parts.host.c_str(),
                                static_cast<INTERNET_PORT>(parts.port), nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                kConnectFlags, 0));
    if (!connection_) return Fail(GetLastError());
    if (const DWORD result = LAZY_CALL(WinInet, InternetAttemptConnect, ERROR_MOD_NOT_FOUND, 0);
        result != ERROR_SUCCESS)
        return Fail(result);
    return true;
}

bool HttpFormClient::Post(const UrlParts& parts) {
    std::string body = BuildFormBody(params_);
    const char* acceptTypes[] = {"*/*", nullptr};
    DWORD flags = kConnectFlags | INTERNET_FLAG_FORMS_SUBMIT;
    if (IsSecureScheme(parts.scheme)) flags |= INTERNET_FLAG_SECURE;
    request_.Reset(LAZY_CALL(WinInet, HttpOpenRequestA, nullptr, connection_.Get(), "POST", parts.path.c_str(),
                             "HTTP/1.0", nullptr, acceptTypes, flags, 0));
    if (!request_) return Fail(GetLastError());
    LAZY_CALL(WinInet, HttpAddRequestHeadersA, FALSE, request_.Get(), kAcceptHeader, static_cast<DWORD>(-1),
              HTTP_ADDREQ_FLAG_REPLACE);
    if (!LAZY_CALL(WinInet, HttpSendRequestA, FALSE, request_.Get(), kContentType, static_cast<DWORD>(-1), body.data(),
                   static_cast<DWORD>(body.size()))) {
        return Fail(GetLastError());
    }
    return true;
}

bool HttpFormClient::ReadResponse() {
    std::fill(body_.begin(), body_.end(), '\0');
    while (bodyLength_ < kBufferSize) {
        const auto piece = static_cast<DWORD>(std::min<std::size_t>(kReadPiece, kBufferSize - bodyLength_));
        DWORD read = 0;
        if (!LAZY_CALL(WinInet, InternetReadFile, FALSE, request_.Get(), body_.data() + bodyLength_, piece, &read)) {
            lastError_ = GetLastError();  // what arrived before the failure still counts as the answer
            break;
        }
        if (read == 0) break;
        bodyLength_ += read;
    }
    std::fill(rawHeaders_.begin(), rawHeaders_.end(), '\0');
    DWORD size = kBufferSize;
    DWORD index = 0;
    if (!LAZY_CALL(WinInet, HttpQueryInfoA, FALSE, request_.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, rawHeaders_.data(),
                   &size, &index)) {
        return Fail(GetLastError());
    }
    return true;
}

}  // namespace mirelo
