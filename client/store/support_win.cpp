#include "store/support_win.h"

#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "popups/unconfirmed_dialog_win.h"
#include "win/log.h"

#include <cstdio>
#include <set>
#include <vector>

namespace mirelo {

namespace {

constexpr UINT kCloseTimeoutMs = 10000;

BOOL CALLBACK CollectClientWindow(HWND hwnd, LPARAM param) {
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof(title));
    if (std::string(title) == kMainFrameTitle) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> FindClientWindows() {
    std::vector<HWND> found;
    EnumWindows(&CollectClientWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string GetProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOf(path);
}

std::string GetVersionString(HMODULE module, const std::string& name) {
    if (module == nullptr) module = GetModuleHandleA(nullptr);
    const HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_VERSION));
    if (info == nullptr) return {};
    const HGLOBAL loaded = LoadResource(module, info);
    const void* locked = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (locked == nullptr || size == 0) return {};
    // VerQueryValue may write into the block, so it works on a copy.
    std::vector<char> block(static_cast<const char*>(locked), static_cast<const char*>(locked) + size);

    char query[128];
    void* translation = nullptr;
    UINT translationSize = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &translationSize) &&
        translationSize == 4) {
        const WORD language = static_cast<const WORD*>(translation)[0];
        const WORD codePage = static_cast<const WORD*>(translation)[1];
        std::snprintf(query, sizeof(query), "\\StringFileInfo\\%02X%02X%02X%02X\\%s", HIBYTE(language),
                      LOBYTE(language), HIBYTE(codePage), LOBYTE(codePage), name.c_str());
    } else {
        std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04X04B0\\%s", GetUserDefaultLangID(), name.c_str());
    }
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(block.data(), query, &value, &valueLength) || value == nullptr || valueLength == 0) return {};
    return std::string(static_cast<const char*>(value));
}

void RequestExit(int flag) {
    win::Log("request exit %d\n", flag);
    const ClientSettings& settings = Settings();
    if (flag != 0 && settings.QueryCloseApp && settings.AnyPopupOpen()) {
        ShowUnconfirmedMessagesDialog();
        return;
    }
    // Every client window gets one WM_CLOSE; a window that survives it (a foreign one with the same
    // title) is not asked again, so this never spins.
    std::set<HWND> asked;
    for (bool closedAny = true; closedAny;) {
        closedAny = false;
        for (HWND hwnd : FindClientWindows()) {
            if (!asked.insert(hwnd).second) continue;
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(hwnd, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCloseTimeoutMs, &ignored);
            closedAny = true;
        }
    }
}

}  // namespace mirelo
