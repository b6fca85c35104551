#pragma once

namespace mirelo {

// Starts the refresh request that follows a UDP notification, on the refresh worker: one request at
// a time in the order of the notifications, a few waiting, further ones dropped with a log line.
void StartRefreshThread(int kind);

}  // namespace mirelo
