#pragma once

namespace mirelo {

// Starts the refresh request that follows a UDP notification.
void StartRefreshThread(int kind);

}  // namespace mirelo
