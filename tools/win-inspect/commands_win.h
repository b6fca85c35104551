#pragma once

#include <windows.h>

#include <string_view>

#include "args.h"
#include "json_writer.h"

namespace winspect {

constexpr int kExitOk = 0;
constexpr int kExitNotFound = 1;
constexpr int kExitUsage = 2;
// The target exists but the action failed (a send timed out, the system refused the input).
constexpr int kExitFailed = 3;

// Replaces whatever was written with {"ok":false,"command":...,"error":...} and returns exitCode.
int Fail(JsonWriter& json, int exitCode, std::string_view command, std::string_view error);

// Writes {"ok":false,...} with the window query that found nothing and returns kExitNotFound.
int NotFound(JsonWriter& json, const Args& args, std::string_view command, std::string_view error);

// A millisecond option, clamped to what the wait functions take.
DWORD TimeoutArg(const Args& args, std::wstring_view name, DWORD fallback = 0);

// Options every command that acts on one top-level window accepts.
inline constexpr OptionDef kTargetOptions[] = {
    {L"--hwnd", OptionKind::Number},  {L"--title", OptionKind::Text},        {L"--class", OptionKind::Text},
    {L"--visible", OptionKind::Flag}, {L"--timeout-ms", OptionKind::Number},
};

// Finds the window named by --hwnd, or by --title and/or --class (waiting up to --timeout-ms).
// On success sets hwnd and returns kExitOk; otherwise writes the error document and returns its code.
int ResolveTarget(const Args& args, JsonWriter& json, std::string_view command, HWND& hwnd);

// Reads a message number or a parameter: a number, a known name such as WM_CLOSE, or NAME+number
// (WM_USER+5). Returns false when the text is none of these.
bool ParseMessageValue(std::wstring_view text, std::int64_t& value);

int RunList(const Args& args, JsonWriter& json);
int RunFind(const Args& args, JsonWriter& json);
int RunInput(const Args& args, JsonWriter& json);
int RunClick(const Args& args, JsonWriter& json);
int RunSend(const Args& args, JsonWriter& json);
int RunClose(const Args& args, JsonWriter& json);
int RunCopyData(const Args& args, JsonWriter& json);
int RunListView(const Args& args, JsonWriter& json);
int RunListViewClick(const Args& args, JsonWriter& json);
int RunProcess(const Args& args, JsonWriter& json);

}  // namespace winspect
