#include "core/app_win.h"

#include <winsock2.h>
#include <commctrl.h>

#include "core/file_types_win.h"
#include "core/main_frame_win.h"
#include "core/settings_win.h"
#include "core/startup_payload.h"
#include "resources/string_ids.h"
#include "store/support_win.h"
#include "win/dialog.h"
#include "win/log.h"
#include "win/message_box.h"
#include "win/resources.h"

#include <cstdio>

namespace mirelo {

using win::Log;

namespace {

// The window classes of the common controls the client creates: the pop-ups' animation, the
// received list's list view and header. Without this the classes may not exist on Windows.
void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS | ICC_LISTVIEW_CLASSES;
    const bool registered = InitCommonControlsEx(&controls) != FALSE;
    Log("common controls %s\n", registered ? "registered" : "could not be registered");
}

}  // namespace

bool CMireloApp::InitInstance() {
    const std::wstring mutexName = win::LoadTextWide(IDS_MUTEX_NAME);
    mutex_ = CreateMutexW(nullptr, FALSE, mutexName.c_str());
    const bool alreadyRunning = GetLastError() == ERROR_ALREADY_EXISTS;
    const bool appExit = HasAppExit(commandLine_);
    Log("start: command line \"%s\"\n", commandLine_.c_str());

    if (alreadyRunning) {
        mutex_ = nullptr;  // the running client keeps the mutex; this one forgets its handle
        Settings().CancelSave();
        HandleSecondInstance(appExit);
        return false;
    }
    if (appExit) {
        Log("APPEXIT: closing running clients\n");
        Settings().CancelSave();
        RequestExit(1);
        return false;
    }

    RegisterDocumentViewer();

    WSADATA wsaData{};
    if (WSAStartup(MAKEWORD(1, 1), &wsaData) != 0) {
        win::ShowMessageBox(nullptr, win::LoadText(IDS_SOCKETS_INIT_FAILED), MB_OK);
        return false;
    }
    socketsStarted_ = true;

    RegisterCommonControls();
    ClientSettings& settings = Settings();
    settings.Initialised = true;
    RequestExit(0);  // windows left over from an earlier run

    MarkShortcutTypeSafe();
    if (!commandLine_.empty()) {
        ApplyStartupPayload();
    } else {
        settings.StoreFile = GetProgramFolder() + "notification.xml";
    }
    if (settings.UserKey.empty()) settings.UserKey = "NULL";
    settings.Reload();
    Log("INI file: %s\n", settings.IniPath.c_str());
    Log("StoreFile: %s\n", settings.StoreFile.c_str());
    Log("UserKey: %s\n", settings.UserKey.c_str());

    CMainFrame* frame = CMainFrame::CreateHidden();
    if (frame == nullptr) {
        Log("main frame could not be created\n");
        return false;
    }
    frame->ArmLogOutCheck();
    return true;
}

void CMireloApp::HandleSecondInstance(bool appExit) {
    Log("second instance\n");
    const std::string path = CommandLinePath(commandLine_);
    // Only a shortcut file that was handed over is removed; any other path is left alone.
    if (!path.empty() && IsShortcutPath(path) && FileExists(path)) {
        const bool deleted = DeleteFileA(path.c_str()) != 0;
        Log("second instance: %s %s\n", deleted ? "deleted" : "could not delete", path.c_str());
    }
    if (appExit) {
        Log("APPEXIT: closing the running client\n");
        RequestExit(1);
    }
}

std::string CMireloApp::ReadShortcutFile(const std::string& path) {
    std::string bytes;
    // Text mode, as the groupware writes these files: line ends arrive as "\n".
    if (FILE* file = std::fopen(path.c_str(), "rt")) {
        char buffer[kShortcutReadLimit];
        const size_t count = std::fread(buffer, 1, sizeof(buffer), file);
        std::fclose(file);
        bytes.assign(buffer, count);
    } else {
        Log("shortcut file could not be opened: %s\n", path.c_str());
    }
    if (DeleteFileA(path.c_str())) {
        Log("shortcut file deleted: %s\n", path.c_str());
    } else {
        win::ShowMessageBox(nullptr, "Error", MB_OK);
    }
    return bytes;
}

void CMireloApp::ApplyStartupPayload() {
    ClientSettings& settings = Settings();
    std::string payload;
    if (NamesShortcutFile(commandLine_)) {
        payload = ShortcutPayload(ReadShortcutFile(CommandLinePath(commandLine_)));
    } else {
        payload = LinkPayload(commandLine_);
    }
    for (const AppliedField& field : mirelo::ApplyStartupPayload(payload, settings)) {
        Log("payload field %d: %s\n", field.number, field.value.c_str());
    }
    settings.StoreFile = GetProgramFolder() + StoreFileName(settings.UserKey);
}

int CMireloApp::Run() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (win::IsModelessDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void CMireloApp::ExitInstance() {
    // An exit asked for inside a nested loop ended the message loop with the frame still there.
    CMainFrame::DestroyRunning();
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
        if (const HWND running = FindWindowA(nullptr, kMainFrameTitle)) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(running, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 10000, &ignored);
        }
    }
    if (socketsStarted_) WSACleanup();
    Log("shutdown\n");
}

}  // namespace mirelo

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    try {
        mirelo::CMireloApp app(commandLine != nullptr ? commandLine : "");
        int exitCode = 0;
        if (app.InitInstance()) exitCode = app.Run();
        app.ExitInstance();
        return exitCode;
    } catch (...) {
        mirelo::win::Log("start-up failed\n");
        return 1;
    }
}
