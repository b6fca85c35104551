#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.h"

namespace winspect {

std::string Utf8(std::wstring_view text);

// The title of a window of another process as the system stores it; never waits on the window.
std::wstring WindowTitle(HWND hwnd);

// The text a control reports through WM_GETTEXT (an edit's contents, a button's label), with a
// short timeout so a hung owner cannot stall the inspector. After one timeout ownerSlow is set and
// the stored window text is used instead, so a busy window with many controls costs one timeout.
std::wstring ControlText(HWND hwnd, bool& ownerSlow);

std::wstring ClassName(HWND hwnd);

// Top-level windows of the desktop in z-order, topmost first.
std::vector<HWND> TopLevelWindows();

// Descendants of a window, depth first in z-order.
std::vector<HWND> Descendants(HWND parent);

// The first descendant with the given control id, or nullptr.
HWND FindControl(HWND parent, int id);

// Titles match exactly, class names without regard to case.
struct WindowQuery {
    bool byTitle = false;
    std::wstring title;
    bool byClass = false;
    std::wstring className;
    bool visibleOnly = false;
};

// The first top-level window that matches every given criterion, polling until it appears or the
// time is up. A query with no criterion matches nothing.
HWND WaitForTopLevel(const WindowQuery& query, DWORD timeoutMs);

// Writes a top-level window as a JSON object, its descendants flattened into "children".
void WriteTopLevel(JsonWriter& json, HWND hwnd);

// Writes a child window as a JSON object; ownerSlow as for ControlText.
void WriteChild(JsonWriter& json, HWND hwnd, bool& ownerSlow);

void WriteRect(JsonWriter& json, std::string_view key, const RECT& rect);

inline std::uint32_t HandleNumber(HWND hwnd) {
    // Window handles are 32-bit values even for 64-bit processes, so one integer names them anywhere.
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hwnd));
}

}  // namespace winspect
