#include "test_support.h"

#include <gtest/gtest.h>

namespace vocelink_test {

Piece RequestPiece(TTSSocket* holder, int port, const std::string& text, int firstRequest, int singleReply, int voice,
                   int format) {
    Piece piece;
    char* data = TTSRequestBuffer(holder, kLoopback, port, text.data(), static_cast<int>(text.size()), &piece.length,
                                  voice, format, firstRequest, singleReply, &piece.status);
    if (data != nullptr) {
        piece.gotData = true;
        piece.data.assign(data, data + (piece.length > 0 ? piece.length : 0));
        piece.nulTerminated = piece.length >= 0 && data[piece.length] == '\0';
        TTSBufferFree(data);
    }
    return piece;
}

void ExpectFailedPiece(int port, int code) {
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, port, "x", 1, 1);
    EXPECT_FALSE(piece.gotData);
    EXPECT_EQ(piece.status, code);
    EXPECT_EQ(piece.length, 0);
    EXPECT_EQ(holder, TTS_NO_SOCKET);
}

std::vector<char> RequestAllPieces(int port, const std::string& text, int* calls, int* lastStatus) {
    std::vector<char> all;
    TTSSocket holder = TTS_NO_SOCKET;
    Piece piece = RequestPiece(&holder, port, text, 1, 0);
    *calls = 1;
    all.insert(all.end(), piece.data.begin(), piece.data.end());
    while (piece.status == 0 && *calls < 100000) {
        piece = RequestPiece(&holder, port, text, 0, 0);
        ++*calls;
        all.insert(all.end(), piece.data.begin(), piece.data.end());
    }
    *lastStatus = piece.status;
    return all;
}

}  // namespace vocelink_test
