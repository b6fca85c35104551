#include "forwarding/forwarding_win.h"

#include <vector>

#include "PingoProxy.h"
#include "forwarding/code_batcher.h"
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

// Distinct runs of codes that may wait while the notifier windows are being told: a burst of one code
// is one run, so only a receiver that stops answering for long fills this.
constexpr std::size_t kRunsWaiting = 64;
// Codes handed over per desktop search, so that the windows found stay current in a long batch.
constexpr std::size_t kCodesPerSearch = 256;

void TellNotifiers(const std::vector<int>& codes) {
    PingoSendMessages(codes.data(), static_cast<int>(codes.size()), nullptr);
    Log("local apps: %d codes handed over\n", static_cast<int>(codes.size()));
}

void TellNotifiers(const std::vector<CodeRun>& batch) {
    std::vector<int> codes;
    for (const CodeRun& run : batch) {
        for (std::uint32_t i = 0; i < run.count; ++i) {
            codes.push_back(run.code);
            if (codes.size() == kCodesPerSearch) {
                TellNotifiers(codes);
                codes.clear();
            }
        }
    }
    if (!codes.empty()) TellNotifiers(codes);
}

CodeBatcher& Notifiers() {
    // Never destroyed: a delivery may wait on a slow receiver, and the end of the process must not.
    static CodeBatcher* const batcher =
        new CodeBatcher(kRunsWaiting, [](const std::vector<CodeRun>& batch) { TellNotifiers(batch); });
    return *batcher;
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

bool NotifyLocalApps(int code) {
    if (Notifiers().Post(code)) return true;
    Log("local apps: code %d not handed over, the notifier windows are not answering\n", code);
    return false;
}

bool WaitForLocalApps(DWORD milliseconds) { return Notifiers().WaitIdle(std::chrono::milliseconds(milliseconds)); }

}  // namespace mirelo
