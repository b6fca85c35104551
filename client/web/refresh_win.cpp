#include "web/refresh_win.h"

#include <windows.h>

#include "core/settings_win.h"
#include "core/worker_pool.h"
#include "web/http_form_client_win.h"
#include "web/refresh.h"
#include "win/log.h"

#include <exception>
#include <string>
#include <utility>

namespace mirelo {

namespace {

// One request at a time, so that the web server sees the refreshes in the order of the notifications;
// a few more wait. Every refresh posts the same form, so one that has to be dropped loses nothing
// that a waiting one does not do.
constexpr std::size_t kRefreshThreads = 1;
constexpr std::size_t kRefreshesWaiting = 7;

WorkerPool& RefreshWorker() {
    // Never destroyed: a request may wait for an unresponsive server, and the end of the process must
    // not wait for it.
    static WorkerPool* const pool = new WorkerPool(kRefreshThreads, kRefreshesWaiting);
    return *pool;
}

void PostRefresh(const std::string& url, const std::string& id) {
    try {
        HttpFormClient client;
        client.ClearParams();
        for (const FormParam& param : RefreshForm(id)) client.AddParam(param.name, param.value);
        // These lines stay short enough for a debugger to show each whole.
        if (client.Request(url, kRefreshAgent) != 0) {
            win::Log("refresh: posted, %d bytes of response\n", static_cast<int>(client.BodyLength()));
        } else if (client.LastError() == 0) {
            win::Log("refresh: answered without a body\n");
        } else {
            win::Log("refresh: failed, error %lu\n", client.LastError());
        }
    } catch (...) {
        // The refresh is a courtesy to the web server: nothing of it may reach the user.
    }
}

}  // namespace

void StartRefreshThread(int kind) {
    win::Log("refresh kind=%d\n", kind);
    try {
        const ClientSettings& settings = Settings();
        std::string id = RefreshId(kind, settings.UserKey);
        if (id.empty()) return;
        win::Log("refresh: posting %s to %s\n", id.c_str(), settings.RefreshUrl.c_str());
        // The worker gets its own copies: the settings belong to the user-interface thread.
        auto job = [url = settings.RefreshUrl, id = std::move(id)] { PostRefresh(url, id); };
        if (!RefreshWorker().Post(std::move(job))) {
            win::Log("refresh: %d requests in progress; this one is dropped\n",
                     static_cast<int>(kRefreshThreads + kRefreshesWaiting));
        }
    } catch (const std::exception& error) {
        win::Log("refresh: not started: %s\n", error.what());
    }
}

}  // namespace mirelo
