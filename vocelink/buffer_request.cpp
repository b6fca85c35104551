#include <cstdlib>

#include "requests.h"
#include "transport.h"

namespace vocelink {
namespace {

BufferResult Failure(int code) {
    BufferResult result;
    result.status = code;
    return result;
}

// Ends the connection held for the caller.
void Drop(Socket* holder) {
    if (*holder != kNoSocket) {
        CloseSocket(*holder);
        *holder = kNoSocket;
    }
}

// Connects, keeps the connection in the holder and sends the request. 0, or a negative code.
int StartRequest(const BufferArgs& args, Socket* holder) {
    Socket socket = kNoSocket;
    int code = CheckAndConnect(args.speech, &socket);
    if (code == VOCELINK_ERR_CONNECT) {
        *holder = kNoSocket;
    }
    if (code != 0) {
        return code;
    }
    *holder = socket;
    RequestFields fields;
    fields.type = kTypeBuffer;
    fields.textLength = args.speech.textLength;
    fields.voice = args.speech.voice;
    fields.format = args.speech.format;
    fields.extension = args.extension;
    fields.singleReply = args.singleReply;
    Header header = BuildRequestHeader(fields);
    if (!SendRequest(*holder, true, header.data(), kHeaderSize, args.speech.text, args.speech.textLength)) {
        Drop(holder);
        return VOCELINK_ERR_TRANSFER;
    }
    return 0;
}

// Reads one reply and its piece of audio from the connection in the holder.
BufferResult ReceivePiece(Socket* holder) {
    std::optional<Reply> reply = ReceiveReply(*holder);
    if (!reply) {
        Drop(holder);
        return Failure(VOCELINK_ERR_TRANSFER);
    }
    if (reply->status < 0) {
        // The server refused; whatever it may have sent after the reply is of no use.
        Drop(holder);
        return Failure(reply->status);
    }
    BufferResult result;
    if (reply->dataLength > 0) {
        if (reply->dataLength > kMaxPieceBytes) {
            Drop(holder);
            return Failure(VOCELINK_ERR_MEMORY);
        }
        result.data = static_cast<char*>(std::calloc(static_cast<std::size_t>(reply->dataLength) + 1, 1));
        if (result.data == nullptr) {
            Drop(holder);
            return Failure(VOCELINK_ERR_MEMORY);
        }
        if (ReceiveExact(*holder, result.data, reply->dataLength) != reply->dataLength) {
            std::free(result.data);
            Drop(holder);
            return Failure(VOCELINK_ERR_TRANSFER);
        }
        result.length = reply->dataLength;
    }
    if (reply->lastPiece) {
        Drop(holder);
        result.status = 1;
    } else {
        result.status = 0;
    }
    return result;
}

}  // namespace

BufferResult RequestBuffer(const BufferArgs& args) {
    // Without a holder the request must begin and end within this call.
    Socket local = kNoSocket;
    Socket* holder = args.socketHolder != nullptr ? args.socketHolder : &local;
    if (args.firstRequest || args.singleReply) {
        if (int code = StartRequest(args, holder)) {
            return Failure(code);
        }
    } else if (*holder == kNoSocket) {
        // A continued call with no connection has nothing to read from.
        return Failure(VOCELINK_ERR_TRANSFER);
    }
    BufferResult result = ReceivePiece(holder);
    if (holder == &local) {
        Drop(holder);
    }
    return result;
}

}  // namespace vocelink
