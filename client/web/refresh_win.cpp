#include "web/refresh_win.h"

#include <windows.h>

#include "core/settings_win.h"
#include "web/http_form_client_win.h"
#include "web/refresh.h"
#include "win/log.h"

#include <exception>
#include <memory>

namespace mirelo {

namespace {

// What the thread needs, copied: the settings belong to the user-interface thread.
struct RefreshJob {
    std::string url;
    std::string id;
};

DWORD WINAPI RefreshThread(LPVOID parameter) {
    const std::unique_ptr<RefreshJob> job(static_cast<RefreshJob*>(parameter));
    try {
        HttpFormClient client;
        client.ClearParams();
        for (const FormParam& param : RefreshForm(job->id)) client.AddParam(param.name, param.value);
        // These lines stay short enough for a debugger to show each whole.
        if (client.Request(job->url, kRefreshAgent) != 0) {
            win::Log("refresh: posted, %d bytes of response\n", static_cast<int>(client.BodyLength()));
        } else if (client.LastError() == 0) {
            win::Log("refresh: answered without a body\n");
        } else {
            win::Log("refresh: failed, error %lu\n", client.LastError());
        }
    } catch (...) {
        // The refresh is a courtesy to the web server: nothing of it may reach the user.
    }
    return 0;
}

}  // namespace

void StartRefreshThread(int kind) {
    win::Log("refresh kind=%d\n", kind);
    try {
        const ClientSettings& settings = Settings();
        std::string id = RefreshId(kind, settings.UserKey);
        if (id.empty()) return;
        win::Log("refresh: posting %s to %s\n", id.c_str(), settings.RefreshUrl.c_str());
        auto job = std::make_unique<RefreshJob>(RefreshJob{settings.RefreshUrl, std::move(id)});
        const HANDLE thread = CreateThread(nullptr, 0, &RefreshThread, job.get(), 0, nullptr);
        if (thread == nullptr) {
            win::Log("refresh: no thread, error %lu\n", GetLastError());
            return;
        }
        job.release();  // the thread owns it now
        CloseHandle(thread);
    } catch (const std::exception& error) {
        win::Log("refresh: not started: %s\n", error.what());
    }
}

}  // namespace mirelo
