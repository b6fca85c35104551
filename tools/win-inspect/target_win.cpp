#include "commands_win.h"

#include <algorithm>

#include "windows_win.h"

namespace winspect {

namespace {

struct NamedValue {
    std::wstring_view name;
    UINT value;
};

// Messages and parameters tests are likely to need by name; anything else goes in as a number.
constexpr NamedValue kNamedValues[] = {
    {L"WM_NULL", WM_NULL},
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_QUIT", WM_QUIT},
    {L"WM_DESTROY", WM_DESTROY},
    {L"WM_SHOWWINDOW", WM_SHOWWINDOW},
    {L"WM_ACTIVATE", WM_ACTIVATE},
    {L"WM_SETTEXT", WM_SETTEXT},
    {L"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH},
    {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {L"WM_ENDSESSION", WM_ENDSESSION},
    {L"WM_SETTINGCHANGE", WM_SETTINGCHANGE},
    {L"WM_DISPLAYCHANGE", WM_DISPLAYCHANGE},
    {L"WM_POWERBROADCAST", WM_POWERBROADCAST},
    {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},
    {L"WM_COMMAND", WM_COMMAND},
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_TIMER", WM_TIMER},
    {L"WM_MOUSEMOVE", WM_MOUSEMOVE},
    {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {L"WM_LBUTTONUP", WM_LBUTTONUP},
    {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
    {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
    {L"WM_RBUTTONUP", WM_RBUTTONUP},
    {L"WM_RBUTTONDBLCLK", WM_RBUTTONDBLCLK},
    {L"WM_HOTKEY", WM_HOTKEY},
    {L"WM_USER", WM_USER},
    {L"WM_APP", WM_APP},
    {L"SC_CLOSE", SC_CLOSE},
    {L"SC_MINIMIZE", SC_MINIMIZE},
    {L"SC_RESTORE", SC_RESTORE},
    {L"IDOK", IDOK},
    {L"IDCANCEL", IDCANCEL},
};

void WriteQuery(JsonWriter& json, const Args& args) {
    if (args.Has(L"--hwnd")) {
        json.Field("hwnd", args.Number(L"--hwnd", 0));
    }
    if (args.Has(L"--title")) {
        json.Field("title", Utf8(args.Text(L"--title")));
    }
    if (args.Has(L"--class")) {
        json.Field("class", Utf8(args.Text(L"--class")));
    }
}

}  // namespace

DWORD TimeoutArg(const Args& args, std::wstring_view name, DWORD fallback) {
    return static_cast<DWORD>(std::clamp<std::int64_t>(args.Number(name, fallback), 0, 0x7fffffff));
}

int NotFound(JsonWriter& json, const Args& args, std::string_view command, std::string_view error) {
    // Say what was looked for, so a failing test's log shows it.
    json.Reset();
    json.BeginObject();
    json.Field("ok", false);
    json.Field("command", command);
    json.Field("error", error);
    WriteQuery(json, args);
    json.EndObject();
    return kExitNotFound;
}

int Fail(JsonWriter& json, int exitCode, std::string_view command, std::string_view error) {
    json.Reset();
    json.BeginObject();
    json.Field("ok", false);
    json.Field("command", command);
    json.Field("error", error);
    json.EndObject();
    return exitCode;
}

int ResolveTarget(const Args& args, JsonWriter& json, std::string_view command, HWND& hwnd) {
    if (args.Has(L"--hwnd")) {
        if (args.Has(L"--title") || args.Has(L"--class")) {
            return Fail(json, kExitUsage, command, "--hwnd cannot be combined with --title or --class");
        }
        hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(args.Number(L"--hwnd", 0)));
        return IsWindow(hwnd) ? kExitOk : NotFound(json, args, command, "no such window");
    }
    if (!args.Has(L"--title") && !args.Has(L"--class")) {
        return Fail(json, kExitUsage, command, "name the window with --hwnd, --title or --class");
    }
    WindowQuery query{args.Has(L"--title"), args.Text(L"--title"), args.Has(L"--class"), args.Text(L"--class"),
                      args.Has(L"--visible")};
    hwnd = WaitForTopLevel(query, TimeoutArg(args, L"--timeout-ms"));
    return hwnd ? kExitOk : NotFound(json, args, command, "no window matched");
}

bool ParseMessageValue(std::wstring_view text, std::int64_t& value) {
    if (ParseNumber(text, value)) {
        return true;
    }
    std::wstring_view name = text;
    std::int64_t offset = 0;
    if (auto plus = text.find(L'+'); plus != std::wstring_view::npos) {
        name = text.substr(0, plus);
        if (!ParseNumber(text.substr(plus + 1), offset)) {
            return false;
        }
    }
    for (const auto& named : kNamedValues) {
        if (named.name == name) {
            value = named.value + offset;
            return true;
        }
    }
    return false;
}

}  // namespace winspect
