#include "forwarding/forwarding_win.h"

#include <memory>
#include <vector>

#include "PingoProxy.h"
#include "forwarding/send_data_payload.h"
#include "web/url_policy.h"
#include "win/log.h"
#include "win/nested_loop.h"

namespace mirelo {

using win::Log;

namespace {

constexpr char kBizClass[] = "QXNotifyBiz";
constexpr std::size_t kMaxBizWindows = 10;
constexpr int kClassNameBytes = 512;

std::string ClassNameOf(HWND window) {
    char name[kClassNameBytes] = {};
    if (window != nullptr) GetClassNameA(window, name, kClassNameBytes);
    return name;
}

// The first business window FindWindowA gives, then those after it in z-order, at most kMaxBizWindows.
std::vector<HWND> FindBizWindows() {
    std::vector<HWND> found;
    HWND window = FindWindowA(kBizClass, nullptr);
    Log("Identical Class Found = %s", ClassNameOf(window).c_str());
    if (window == nullptr) return found;
    found.push_back(window);
    while (found.size() < kMaxBizWindows && (window = GetWindow(window, GW_HWNDNEXT)) != nullptr) {
        const std::string name = ClassNameOf(window);
        if (name == kBizClass) {
            found.push_back(window);
            Log("Identical Class Found = %s", name.c_str());
        }
    }
    return found;
}

// The argument block of one NotifyLocalApps thread: allocated by the starter, freed by the thread.
struct PingoCall {
    int code;
    const char* text;
};

DWORD WINAPI PingoThread(void* parameter) {
    try {
        const std::unique_ptr<PingoCall> call(static_cast<PingoCall*>(parameter));
        PingoSendMessage(call->code, call->text);
    } catch (...) {
    }
    return 0;
}

}  // namespace

void SendData(int type, const std::string& functionName, const std::string& callUrl) {
    Log("Start SendData() nType=%d, szJavaScriptFuncName=%s, szCallUrl=%s", type, functionName.c_str(),
        callUrl.c_str());
    // The business application opens what it is handed: a received path or script is not passed on.
    if (!IsOpenableUrl(callUrl)) {
        Log("SendData refused: %s", callUrl.c_str());
        Log("End SendData()");
        return;
    }
    const std::vector<HWND> windows = FindBizWindows();
    Log("Found Class Count=%d", static_cast<int>(windows.size()));
    if (!windows.empty()) {
        SendDataPayload payload = BuildSendDataPayload(functionName, callUrl);
        COPYDATASTRUCT data{};
        data.dwData = static_cast<ULONG_PTR>(type);
        data.cbData = payload.byteCount;
        data.lpData = payload.bytes.data();
        Log("copyDataStruct.cbData=%d, copyDataStruct.dwData=%d, copyDataStruct.lpData=%s",
            static_cast<int>(data.cbData), type, payload.bytes.data());
        // Each receiver runs while this thread waits, and messages sent to this thread are handled meanwhile.
        const win::NestedLoop waiting;
        for (HWND window : windows) {
            SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
            Log("SendMessage To %s", ClassNameOf(window).c_str());
        }
    }
    Log("End SendData()");
}

bool IsBizAppPresent() { return FindWindowA(kBizClass, nullptr) != nullptr; }

win::UniqueKernelHandle NotifyLocalApps(int code) {
    auto call = std::make_unique<PingoCall>(PingoCall{code, nullptr});
    win::UniqueKernelHandle thread(CreateThread(nullptr, 0, &PingoThread, call.get(), 0, nullptr));
    // A thread that started owns the block; one that could not start leaves it here to be freed.
    if (thread) call.release();
    return thread;
}

}  // namespace mirelo
