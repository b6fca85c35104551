// win-inspect: looks at and acts on the windows of the desktop for the end-to-end tests, printing
// one JSON document per run.
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "commands_win.h"
#include "windows_win.h"

namespace winspect {

namespace {

constexpr wchar_t kHelp[] =
    LR"(win-inspect COMMAND [OPTIONS]   (prints one UTF-8 JSON document)

  list [--all]
      Top-level windows with their descendants. Without --all only visible windows, titled ones and
      known classes (*QX*, *Mirelo*, *Pingo*, #32770, Shell_TrayWnd); never the IME helpers.
  find (--title T | --class C | both) [--visible] [--timeout-ms N]
      The first matching top-level window, waiting up to N ms (default 0).
  click TARGET --control ID [--via bm-click|command] [--force]
      Posts BM_CLICK to the descendant with that control id (or WM_COMMAND BN_CLICKED to its parent).
      A hidden or disabled control, or one in a disabled window, is refused (exit 3) unless --force.
  send (TARGET | --broadcast) (--msg M | --registered NAME) [--wparam W] [--lparam L | --text S]
       [--post] [--reply-timeout-ms N]
      SendMessageTimeout (default 5000 ms) or PostMessage. M, W, L: numbers (0x.. too) or names such
      as WM_CLOSE, WM_USER+1, WM_LBUTTONUP. --text passes a UTF-16 string as lparam (WM_SETTEXT).
  close TARGET [--wait-ms N]
      Posts WM_CLOSE; with --wait-ms waits that long for the window to go.
  copydata TARGET --code N [--text S [--codepage CP] | --hex BYTES] [--wparam W] [--reply-timeout-ms N]
      Sends WM_COPYDATA with dwData N and the text in the ANSI code page (or CP) plus a NUL, or raw bytes.
  listview TARGET --control ID [--max-rows N]
      The header items (text, width, owner-drawn, rect) and the first N rows (default 100) of a list
      view: every column's text, selected, focused and the row's rect, read through memory in the
      list's process.
  listview-click TARGET --control ID (--column N | --row N [--double])
      Posts a left click (or a double click: down, up, double-click, up) to the middle of header
      item N or of row N of a list view.
  input
      SendInput of a one-pixel mouse move and back, so GetLastInputInfo sees user input.
  process --name EXE
      What the first process of that executable name holds: threads, handles, USER and GDI objects
      (GetGuiResources; null where the system does not count them, as under Wine), the handle count
      of NtQueryInformationProcess, the used entries of the GDI handle table its PEB names (what
      Wine keeps) and its windows, children included.

  TARGET: --hwnd H | --title T | --class C (title and class may be combined), with [--visible]
          and [--timeout-ms N] to wait for the window to appear.

Exit codes: 0 done, 1 window or control not found, 2 usage error, 3 the action failed.
)";

std::vector<OptionDef> WithTarget(std::initializer_list<OptionDef> own) {
    std::vector<OptionDef> all(std::begin(kTargetOptions), std::end(kTargetOptions));
    all.insert(all.end(), own);
    return all;
}

struct Command {
    std::wstring_view name;
    std::vector<OptionDef> options;
    int (*run)(const Args& args, JsonWriter& json);
};

const std::vector<Command>& Commands() {
    using enum OptionKind;
    static const std::vector<Command> commands = {
        {L"list", {{L"--all", Flag}}, RunList},
        {L"find", WithTarget({}), RunFind},
        {L"click", WithTarget({{L"--control", Number}, {L"--via", Text}, {L"--force", Flag}}), RunClick},
        {L"send",
         WithTarget({{L"--broadcast", Flag},
                     {L"--msg", Text},
                     {L"--registered", Text},
                     {L"--wparam", Text},
                     {L"--lparam", Text},
                     {L"--text", Text},
                     {L"--post", Flag},
                     {L"--reply-timeout-ms", Number}}),
         RunSend},
        {L"close", WithTarget({{L"--wait-ms", Number}}), RunClose},
        {L"copydata",
         WithTarget({{L"--code", Number},
                     {L"--text", Text},
                     {L"--hex", Text},
                     {L"--codepage", Number},
                     {L"--wparam", Text},
                     {L"--reply-timeout-ms", Number}}),
         RunCopyData},
        {L"listview", WithTarget({{L"--control", Number}, {L"--max-rows", Number}}), RunListView},
        {L"listview-click",
         WithTarget({{L"--control", Number}, {L"--column", Number}, {L"--row", Number}, {L"--double", Flag}}),
         RunListViewClick},
        {L"input", {}, RunInput},
        {L"process", {{L"--name", Text}}, RunProcess},
    };
    return commands;
}

std::wstring Wide(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    }
    return out;
}

// Writes UTF-8 to a pipe or file as it is; a console gets UTF-16, whatever its code page.
void Print(DWORD stdHandle, const std::string& text) {
    HANDLE out = GetStdHandle(stdHandle);
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        std::wstring wide = Wide(text);
        WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    for (std::size_t done = 0; done < text.size(); done += written) {
        if (!WriteFile(out, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
    }
}

int Run(const std::vector<std::wstring>& words, JsonWriter& json) {
    // "win-inspect --help" and "win-inspect COMMAND --help"; later words may be texts to send.
    for (std::size_t i = 0; i < std::min<std::size_t>(words.size(), 2); ++i) {
        if (words[i] == L"--help" || words[i] == L"-h" || words[i] == L"/?" || words[i] == L"help") {
            Print(STD_OUTPUT_HANDLE, Utf8(kHelp));
            return kExitOk;
        }
    }
    if (words.empty()) {
        Print(STD_ERROR_HANDLE, Utf8(kHelp));
        return Fail(json, kExitUsage, "", "no command given");
    }
    for (const auto& command : Commands()) {
        if (command.name != words[0]) {
            continue;
        }
        Args args;
        std::wstring error = args.Parse(std::span(words).subspan(1), command.options);
        if (!error.empty()) {
            return Fail(json, kExitUsage, Utf8(command.name), Utf8(error));
        }
        return command.run(args, json);
    }
    return Fail(json, kExitUsage, Utf8(words[0]), "unknown command; see --help");
}

}  // namespace

}  // namespace winspect

int wmain(int argc, wchar_t** argv) {
    using namespace winspect;
    JsonWriter json;
    int code = kExitFailed;
    try {
        std::vector<std::wstring> words(argv + 1, argv + argc);
        code = Run(words, json);
    } catch (const std::exception& e) {
        code = Fail(json, kExitFailed, "", std::string("internal error: ") + e.what());
    } catch (...) {
        code = Fail(json, kExitFailed, "", "internal error");
    }
    if (!json.Text().empty()) {
        Print(STD_OUTPUT_HANDLE, json.Text() + "\n");
    }
    return code;
}
