#include "win/dialog.h"

#include "win/log.h"
#include "win/nested_loop.h"

#include <cstring>
#include <set>
#include <vector>

namespace mirelo::win {

namespace {

std::set<HWND>& ModelessDialogs() {
    static std::set<HWND> dialogs;
    return dialogs;
}

// The modeless dialog being created: when its creation fails before its window procedure took
// charge of it (and so of deleting it), the creator still owns it.
Dialog* g_creating = nullptr;

// Where a dialog template keeps its style: an extended template starts with version 1 and 0xFFFF.
std::size_t StyleOffset(const BYTE* data, DWORD size) {
    WORD head[2] = {};
    if (size >= sizeof(head)) std::memcpy(head, data, sizeof(head));
    return head[0] == 1 && head[1] == 0xFFFF ? 12 : 0;
}

// The template's bytes as the dialog manager would find them; empty when there is none.
std::vector<BYTE> TemplateBytes(int templateId) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* data = loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const DWORD size = data != nullptr ? SizeofResource(module, found) : 0;
    if (size < StyleOffset(data, size) + sizeof(DWORD)) return {};
    return std::vector<BYTE>(data, data + size);
}

// The style of a template TemplateBytes returned (never empty).
DWORD ReadStyle(const std::vector<BYTE>& bytes) {
    DWORD style = 0;
    std::memcpy(&style, bytes.data() + StyleOffset(bytes.data(), bytes.size()), sizeof(style));
    return style;
}

void WriteStyle(std::vector<BYTE>& bytes, DWORD style) {
    std::memcpy(bytes.data() + StyleOffset(bytes.data(), bytes.size()), &style, sizeof(style));
}

}  // namespace

bool IsModelessDialogMessage(MSG& message) {
    if (message.hwnd == nullptr) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (ModelessDialogs().count(root) == 0) return false;
    return IsDialogMessageA(root, &message) != FALSE;
}

bool Dialog::CreateModeless(HWND owner) {
    modeless_ = true;
    g_creating = this;
    const HWND hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                                         &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
    const bool stillOurs = g_creating == this;
    g_creating = nullptr;
    if (hwnd == nullptr) {
        if (stillOurs) delete this;
        return false;
    }
    return true;
}

bool Dialog::AdoptModeless(HWND window) {
    if (window == nullptr || !IsWindow(window) || GetWindowLongPtrA(window, DWLP_USER) != 0) return false;
    modeless_ = true;
    Bind(window);
    const std::weak_ptr<const void> alive = Lifetime();
    const INT_PTR focus = Deliver(WM_INITDIALOG, 0, 0);
    // The initialisation may have closed the window, and so deleted this object.
    if (focus == FALSE || alive.expired() || !IsWindow(window)) return true;
    if (const HWND first = GetNextDlgTabItem(window, nullptr, FALSE); first != nullptr) {
        if ((SendMessageA(first, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) SendMessageA(first, EM_SETSEL, 0, -1);
        SetFocus(first);
    } else {
        SetFocus(window);
    }
    return true;
}

DWORD Dialog::TemplateStyle(int templateId) {
    const std::vector<BYTE> bytes = TemplateBytes(templateId);
    return bytes.empty() ? 0 : ReadStyle(bytes);
}

HWND Dialog::CreateUnbound(int templateId) {
    std::vector<BYTE> bytes = TemplateBytes(templateId);
    if (bytes.empty()) return nullptr;
    // Made ahead and kept hidden, the window must not take the foreground from the program in use
    // as the template's DS_SETFOREGROUND would: whoever adopts it decides when it comes forward.
    WriteStyle(bytes, ReadStyle(bytes) & ~static_cast<DWORD>(DS_SETFOREGROUND));
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                      nullptr, &Dialog::Procedure, 0);
}

void Dialog::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    if (modeless_) ModelessDialogs().insert(hwnd);
}

INT_PTR Dialog::Deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return OnMessage(message, wParam, lParam);
    } catch (...) {
        Log("dialog message %u failed\n", message);
        return FALSE;
    }
}

INT_PTR Dialog::RunModal(HWND owner) {
    const NestedLoop modal;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner, &Dialog::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

BOOL Dialog::OnCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(hwnd_, id);
        return TRUE;
    }
    return FALSE;
}

INT_PTR Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
        default: return FALSE;
    }
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        // A window made by CreateUnbound has no object until one adopts it.
        self = reinterpret_cast<Dialog*>(lParam);
        if (self == nullptr) return FALSE;
        self->Bind(hwnd);
        if (g_creating == self) g_creating = nullptr;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    const INT_PTR result = self->Deliver(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        if (self->modeless_) {
            ModelessDialogs().erase(hwnd);
            // Handle() still names the window here, so that clean-up can find what it registered.
            try {
                self->OnFinalDestroy();
            } catch (...) {
                Log("dialog clean-up failed\n");
            }
            delete self;
        } else {
            self->hwnd_ = nullptr;
        }
    }
    return result;
}

void CenterOnWorkArea(HWND hwnd) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT window{};
    GetWindowRect(hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mirelo::win
