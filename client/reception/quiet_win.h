#pragma once

#include <windows.h>

#include <string>

#include "reception/quiet_hold.h"

namespace mirelo {

// Holds the notifications that would pop up while the user presents or runs a full-screen program,
// and lists them in the received-list window once the shell reports that the state has ended. A timer
// watches for that end only while something is held.
//
// For tests, the environment variable MIRELO_TEST_USER_STATE_FILE read at start names a file whose
// number stands in for the shell's answer (2 busy, 3 full-screen Direct3D, 4 presentation, 5 accepts
// notifications, 6 quiet time); a missing or unreadable file leaves the shell's answer.
class CQuietHold {
public:
    CQuietHold();
    ~CQuietHold();
    CQuietHold(const CQuietHold&) = delete;
    CQuietHold& operator=(const CQuietHold&) = delete;

    // The user's notification state now (kUserStateAcceptsNotifications when the shell cannot say).
    int UserState() const;
    void Hold(ReceivedListItem item, int state);
    // Lists what is held when the state has ended; called by the watch timer.
    void Check();

private:
    HeldNotifications held_;
    UINT_PTR timer_ = 0;
    std::string forcedStateFile_;
};

}  // namespace mirelo
