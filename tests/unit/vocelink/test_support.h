#pragma once

// Shorthands for calling the library in tests.

#include <string>
#include <vector>

#include "vocelink.h"

namespace vocelink_test {

constexpr char kLoopback[] = "127.0.0.1";

// One call of TTSRequestBuffer; the audio is copied out and released at once.
struct Piece {
    bool gotData = false;
    std::vector<char> data;
    int length = -99;
    int status = -99;
    bool nulTerminated = false;
};

Piece RequestPiece(TTSSocket* holder, int port, const std::string& text, int firstRequest, int singleReply,
                   int voice = 10, int format = 1);

// Expects a single-reply buffer request to fail with `code`: no data, and the connection is gone.
void ExpectFailedPiece(int port, int code);

// A whole multi-piece request: the first call and the continued ones until the last piece or a failure.
// Returns the bytes put together and the number of calls made; *lastStatus is the final outStatus.
std::vector<char> RequestAllPieces(int port, const std::string& text, int* calls, int* lastStatus);

// Restores the default timeouts when a test ends.
class TimeoutGuard {
public:
    TimeoutGuard() = default;
    ~TimeoutGuard() { TTSSetTimeout(3, 30); }
};

}  // namespace vocelink_test
