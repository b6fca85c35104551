#include "reception/quiet_win.h"

#include "core/main_frame_win.h"
#include "reception/notify_client_win.h"
#include "store/received_list_win.h"
#include "win/log.h"

namespace mirelo {

namespace {

constexpr UINT kWatchPeriodMs = 1000;
constexpr char kForcedStateVariable[] = "MIRELO_TEST_USER_STATE_FILE";

// Windows Vista and later; older shells (and import libraries) lack it.
using QueryStateFunction = HRESULT(WINAPI*)(int*);

QueryStateFunction ShellQueryState() {
    static const QueryStateFunction query = [] {
        const HMODULE shell = GetModuleHandleA("shell32");
        // Through a plain function pointer type: the exported address has its own signature.
        return shell != nullptr ? reinterpret_cast<QueryStateFunction>(reinterpret_cast<void (*)()>(
                                      GetProcAddress(shell, "SHQueryUserNotificationState")))
                                : nullptr;
    }();
    return query;
}

std::optional<int> ReadForcedState(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    char text[16] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return ParseForcedState(std::string_view(text, read));
}

void CALLBACK OnWatchTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (CNotifyClient* client = NotifyClient()) client->Quiet().Check();
}

}  // namespace

CQuietHold::CQuietHold() {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(kForcedStateVariable, path, sizeof(path));
    if (length > 0 && length < sizeof(path)) {
        forcedStateFile_ = path;
        win::Log("quiet: test state file %s\n", path);
    }
}

CQuietHold::~CQuietHold() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
}

int CQuietHold::UserState() const {
    if (!forcedStateFile_.empty()) {
        if (const std::optional<int> forced = ReadForcedState(forcedStateFile_)) return *forced;
    }
    int state = kUserStateAcceptsNotifications;
    if (const QueryStateFunction query = ShellQueryState(); query == nullptr || FAILED(query(&state))) {
        return kUserStateAcceptsNotifications;
    }
    return state;
}

void CQuietHold::Hold(ReceivedListItem item, int state) {
    win::Log("quiet: kind %d held (user state %d)\n", item.kind, state);
    if (held_.Hold(std::move(item))) {
        win::Log("quiet: the oldest held notification gave way (%u at most)\n",
                 static_cast<unsigned>(HeldNotifications::kMaxHeld));
    }
    if (timer_ == 0) timer_ = SetTimer(nullptr, 0, kWatchPeriodMs, &OnWatchTimer);
}

void CQuietHold::Check() {
    const int state = held_.Empty() ? kUserStateAcceptsNotifications : UserState();
    if (IsQuietState(state)) return;
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    if (held_.Empty()) return;
    std::vector<ReceivedListItem> items = held_.TakeAll();
    win::Log("quiet: state %d, %u held notifications listed\n", state, static_cast<unsigned>(items.size()));
    if (CNotifyClient* client = NotifyClient()) client->ReceivedList().Add(std::move(items));
}

}  // namespace mirelo
