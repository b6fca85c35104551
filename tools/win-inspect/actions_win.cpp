#include <string>
#include <vector>

#include "commands_win.h"
#include "windows_win.h"

namespace winspect {

namespace {

constexpr DWORD kReplyTimeoutMs = 5000;
constexpr DWORD kPollMs = 25;

std::string ErrorText(std::string_view what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

std::string Hex(const std::vector<char>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (char byte : bytes) {
        out += kDigits[(static_cast<unsigned char>(byte) >> 4) & 15];
        out += kDigits[static_cast<unsigned char>(byte) & 15];
    }
    return out;
}

// Reads pairs of hexadecimal digits; blanks between bytes are allowed.
bool ParseHex(std::wstring_view text, std::vector<char>& bytes) {
    int high = -1;
    for (wchar_t c : text) {
        int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                    : c >= L'a' && c <= L'f' ? c - L'a' + 10
                    : c >= L'A' && c <= L'F' ? c - L'A' + 10
                                             : -1;
        if (digit < 0) {
            if (c != L' ' || high >= 0) {
                return false;
            }
        } else if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + digit));
            high = -1;
        }
    }
    return high < 0;
}

// The text in a code page as a program of the suite would send it: the bytes and a closing NUL.
std::vector<char> AnsiBytes(const std::wstring& text, UINT codePage, bool& lossy) {
    BOOL usedDefault = FALSE;
    // The code pages UTF-8 and UTF-7 refuse the used-default-character argument.
    BOOL* usedDefaultArg = codePage == CP_UTF8 || codePage == CP_UTF7 ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   usedDefaultArg);
    std::vector<char> bytes(size > 0 ? size : 0);
    if (size > 0) {
        WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            usedDefaultArg);
    }
    bytes.push_back('\0');
    lossy = usedDefault != FALSE || (size == 0 && !text.empty());
    return bytes;
}

// A send that got no reply says so plainly; anything else names the system error.
std::string SendError(DWORD timeoutMs) {
    if (GetLastError() == ERROR_TIMEOUT) {
        return "no reply within " + std::to_string(timeoutMs) + " ms";
    }
    return ErrorText("SendMessageTimeout");
}

// False when the control or a window it sits in is disabled, as an owner is while its modal box is
// open: a user could not click there.
bool EnabledWithAncestors(HWND control) {
    for (HWND hwnd = control; hwnd; hwnd = GetAncestor(hwnd, GA_PARENT)) {
        if (!IsWindowEnabled(hwnd)) {
            return false;
        }
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
            return true;
        }
    }
    return true;
}

bool ReadParam(const Args& args, std::wstring_view name, std::int64_t& value) {
    value = 0;
    return !args.Has(name) || ParseMessageValue(args.Text(name), value);
}

}  // namespace

int RunClick(const Args& args, JsonWriter& json) {
    if (!args.Has(L"--control")) {
        return Fail(json, kExitUsage, "click", "--control ID is required");
    }
    std::wstring via = args.Has(L"--via") ? args.Text(L"--via") : L"bm-click";
    if (via != L"bm-click" && via != L"command") {
        return Fail(json, kExitUsage, "click", "--via is bm-click or command");
    }
    HWND window = nullptr;
    if (int code = ResolveTarget(args, json, "click", window); code != kExitOk) {
        return code;
    }
    int id = static_cast<int>(args.Number(L"--control", 0));
    HWND control = FindControl(window, id);
    if (!control) {
        return NotFound(json, args, "click", "no control with id " + std::to_string(id));
    }
    // A user cannot press what is disabled or hidden, and the button itself does not check: BM_CLICK
    // on a disabled button still notifies the parent under Wine.
    if (!args.Has(L"--force") && !IsWindowVisible(control)) {
        return Fail(json, kExitFailed, "click", "the control is hidden (--force clicks anyway)");
    }
    if (!args.Has(L"--force") && !EnabledWithAncestors(control)) {
        return Fail(json, kExitFailed, "click", "the control or its window is disabled (--force clicks anyway)");
    }
    // Posted, not sent: a click that opens a message box would keep a sent message waiting until
    // the box is closed, and the test could not reach the box meanwhile.
    BOOL posted;
    const char* method;
    if (via == L"command") {
        posted =
            PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
        method = "WM_COMMAND(BN_CLICKED) posted to the parent";
    } else {
        posted = PostMessageW(control, BM_CLICK, 0, 0);
        method = "BM_CLICK posted to the control";
    }
    if (!posted) {
        return Fail(json, kExitFailed, "click", ErrorText("PostMessage"));
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "click");
    json.Field("window", HandleNumber(window));
    json.Field("method", method);
    json.Key("control");
    bool ownerSlow = false;
    WriteChild(json, control, ownerSlow);
    json.EndObject();
    return kExitOk;
}

int RunSend(const Args& args, JsonWriter& json) {
    if (args.Has(L"--msg") == args.Has(L"--registered")) {
        return Fail(json, kExitUsage, "send", "give one of --msg N and --registered NAME");
    }
    std::int64_t msg = 0;
    if (args.Has(L"--registered")) {
        msg = RegisterWindowMessageW(args.Text(L"--registered").c_str());
        if (msg == 0) {
            return Fail(json, kExitFailed, "send", ErrorText("RegisterWindowMessage"));
        }
    } else if (!ParseMessageValue(args.Text(L"--msg"), msg)) {
        return Fail(json, kExitUsage, "send", "--msg needs a number or a name such as WM_CLOSE or WM_USER+1");
    }
    std::int64_t wparam = 0;
    std::int64_t lparam = 0;
    if (!ReadParam(args, L"--wparam", wparam) || !ReadParam(args, L"--lparam", lparam)) {
        return Fail(json, kExitUsage, "send", "--wparam and --lparam need a number or a name");
    }
    if (args.Has(L"--text") && args.Has(L"--lparam")) {
        return Fail(json, kExitUsage, "send", "--text is the lparam; do not give both");
    }
    bool post = args.Has(L"--post");
    std::wstring text = args.Text(L"--text");
    if (args.Has(L"--text")) {
        if (post) {
            return Fail(json, kExitUsage, "send", "--text needs a sent message, the text is gone after a post");
        }
        lparam = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(text.c_str()));
    }

    HWND hwnd = HWND_BROADCAST;
    if (!args.Has(L"--broadcast")) {
        if (int code = ResolveTarget(args, json, "send", hwnd); code != kExitOk) {
            return code;
        }
    }
    auto wp = static_cast<WPARAM>(wparam);
    auto lp = static_cast<LPARAM>(lparam);
    DWORD_PTR result = 0;
    if (post) {
        if (!PostMessageW(hwnd, static_cast<UINT>(msg), wp, lp)) {
            return Fail(json, kExitFailed, "send", ErrorText("PostMessage"));
        }
    } else {
        // A broadcast must not wait on a hung window of some other program.
        UINT flags = hwnd == HWND_BROADCAST ? SMTO_ABORTIFHUNG : SMTO_NORMAL;
        DWORD timeout = TimeoutArg(args, L"--reply-timeout-ms", kReplyTimeoutMs);
        if (!SendMessageTimeoutW(hwnd, static_cast<UINT>(msg), wp, lp, flags, timeout, &result)) {
            return Fail(json, kExitFailed, "send", SendError(timeout));
        }
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "send");
    json.Field("window", HandleNumber(hwnd));
    json.Field("msg", static_cast<UINT>(msg));
    json.Field("wparam", wp);
    json.Field("lparam", lp);
    json.Field("posted", post);
    if (args.Has(L"--text")) {
        json.Field("text", Utf8(text));
    }
    if (post) {
        json.Key("result");
        json.Null();
    } else {
        json.Field("result", static_cast<LRESULT>(result));
    }
    json.EndObject();
    return kExitOk;
}

int RunClose(const Args& args, JsonWriter& json) {
    HWND hwnd = nullptr;
    if (int code = ResolveTarget(args, json, "close", hwnd); code != kExitOk) {
        return code;
    }
    if (!PostMessageW(hwnd, WM_CLOSE, 0, 0)) {
        return Fail(json, kExitFailed, "close", ErrorText("PostMessage"));
    }
    ULONGLONG start = GetTickCount64();
    ULONGLONG deadline = start + TimeoutArg(args, L"--wait-ms");
    while (IsWindow(hwnd) && GetTickCount64() < deadline) {
        Sleep(kPollMs);
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "close");
    json.Field("window", HandleNumber(hwnd));
    json.Field("gone", !IsWindow(hwnd));
    json.Field("waited_ms", GetTickCount64() - start);
    json.EndObject();
    return kExitOk;
}

int RunCopyData(const Args& args, JsonWriter& json) {
    if (!args.Has(L"--code")) {
        return Fail(json, kExitUsage, "copydata", "--code N is required");
    }
    if (args.Has(L"--text") && args.Has(L"--hex")) {
        return Fail(json, kExitUsage, "copydata", "give --text or --hex, not both");
    }
    std::int64_t wparam = 0;
    if (!ReadParam(args, L"--wparam", wparam)) {
        return Fail(json, kExitUsage, "copydata", "--wparam needs a number");
    }
    std::vector<char> bytes;
    bool lossy = false;
    if (args.Has(L"--hex")) {
        if (!ParseHex(args.Text(L"--hex"), bytes)) {
            return Fail(json, kExitUsage, "copydata", "--hex needs pairs of hexadecimal digits");
        }
    } else if (args.Has(L"--text")) {
        auto codePage = static_cast<UINT>(args.Number(L"--codepage", CP_ACP));
        bytes = AnsiBytes(args.Text(L"--text"), codePage, lossy);
    }
    HWND hwnd = nullptr;
    if (int code = ResolveTarget(args, json, "copydata", hwnd); code != kExitOk) {
        return code;
    }
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(args.Number(L"--code", 0));
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.empty() ? nullptr : bytes.data();
    DWORD_PTR result = 0;
    DWORD timeout = TimeoutArg(args, L"--reply-timeout-ms", kReplyTimeoutMs);
    // WM_COPYDATA is only ever sent: the system copies the bytes into the receiver during the call.
    if (!SendMessageTimeoutW(hwnd, WM_COPYDATA, static_cast<WPARAM>(wparam), reinterpret_cast<LPARAM>(&data),
                             SMTO_NORMAL, timeout, &result)) {
        return Fail(json, kExitFailed, "copydata", SendError(timeout));
    }
    json.BeginObject();
    json.Field("ok", true);
    json.Field("command", "copydata");
    json.Field("window", HandleNumber(hwnd));
    json.Field("code", data.dwData);
    json.Field("bytes", data.cbData);
    json.Field("data_hex", Hex(bytes));
    json.Field("lossy", lossy);
    json.Field("result", static_cast<LRESULT>(result));
    json.EndObject();
    return kExitOk;
}

}  // namespace winspect
