/*
 * vocelink: text-to-speech client library.
 *
 * vocelink sends text to a speech server over TCP/IPv4 and returns the server's answer: a status, or
 * the synthesised audio (a complete sound file image, for example a RIFF/WAVE file) in memory.
 *
 * Calling convention and linking
 *   On Windows the library is vocelink.dll (32-bit x86). Every function is __stdcall and exported
 *   under its plain name, so GetProcAddress(module, "TTSRequestBuffer") finds it. On Linux the same
 *   functions live in libvocelink.so with the platform's default calling convention.
 *
 * Start-up
 *   Loading the library starts nothing. It does not call WSAStartup: on Windows the host process
 *   must have started Windows Sockets before the first request.
 *
 * Threads
 *   Every function may be called from any thread at the same time; each request uses its own
 *   connection. The two timeouts (TTSSetTimeout) are shared by the whole process.
 *
 * Results
 *   Functions never throw and never show anything. Failures are the negative codes below.
 *
 * Memory
 *   Audio returned by TTSRequestBuffer and TTSRequestBufferEx is allocated by the library and belongs
 *   to the caller, who must release it with TTSBufferFree (never with free() or delete: the library
 *   may use a different C runtime). The library keeps no reference to it.
 *
 * Common arguments
 *   serverAddress  dotted IPv4 address of the speech server, such as "127.0.0.1". Host names are not
 *                  looked up: a name fails to connect (VOCELINK_ERR_CONNECT).
 *   port           TCP port of the server.
 *   text           the bytes to speak; not NUL-terminated on the wire, exactly textLength bytes are
 *                  sent. The encoding is whatever the server expects (the system code page for the
 *                  suite's own server). Must not be NULL, even when textLength is 0.
 *   textLength     number of text bytes, 0 or more.
 *   voice          voice number, 0 to 400; its meaning is the server's.
 *   format         audio format number, 0 to 20; its meaning is the server's.
 *   location       file requests: first name field (may be NULL); at most 127 characters are sent.
 *   fileName       file requests: second name field, required, fewer than 128 characters.
 *   option1/2      extended requests: sent as bytes (their low 8 bits).
 *   levelA/B/C     extended requests: taken as signed 8-bit values, halved (rounding toward zero)
 *                  and sent as bytes.
 *
 * Arguments are checked in this order: address, text, voice, format, then the connection is made,
 * then the file name. The first failing check gives the result.
 */
#ifndef VOCELINK_H
#define VOCELINK_H

#include <stdint.h>

#if defined(_WIN32)
#define VOCELINK_CALL __stdcall
#define VOCELINK_EXPORT
#elif defined(VOCELINK_BUILDING)
#define VOCELINK_CALL
#define VOCELINK_EXPORT __attribute__((visibility("default")))
#else
#define VOCELINK_CALL
#define VOCELINK_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * A connection to the speech server: a Windows SOCKET on Windows (32 bits in the 32-bit library), a
 * file descriptor on Linux. TTS_NO_SOCKET (-1) means "no connection".
 */
typedef intptr_t TTSSocket;
#define TTS_NO_SOCKET ((TTSSocket)-1)

/* Negative result codes shared by all functions. */
#define VOCELINK_ERR_ADDRESS (-1)   /* server address missing or empty */
#define VOCELINK_ERR_CONNECT (-3)   /* no socket, or the connection failed or timed out */
#define VOCELINK_ERR_TRANSFER (-4)  /* short send or receive, timeout, or a malformed reply */
#define VOCELINK_ERR_MEMORY (-5)    /* no memory for the audio data (also: announced length too large) */
#define VOCELINK_ERR_TEXT (-6)      /* text missing or textLength negative */
#define VOCELINK_ERR_FORMAT (-7)    /* format outside 0 to 20 */
#define VOCELINK_ERR_FILE_NAME (-8) /* file name missing or too long */
#define VOCELINK_ERR_EFFECT (-9)    /* effect request not accepted by the server */
#define VOCELINK_ERR_VOICE (-10)    /* voice outside 0 to 400 */

/*
 * Asks the server to synthesise text into a file on the server's side, named by location and
 * fileName. Returns the server's status byte (a signed value; the suite's server answers 1 for
 * success and a negative value for a refusal) or a negative code. A fileName of 128 characters or
 * more gives VOCELINK_ERR_FILE_NAME; that check comes after the connection was made, which is then
 * closed without sending anything.
 */
VOCELINK_EXPORT int VOCELINK_CALL TTSRequestFile(const char* serverAddress, int port, const char* text, int textLength,
                                                 const char* location, const char* fileName, int voice, int format);

/* TTSRequestFile with the extended options and levels (see "Common arguments"). */
VOCELINK_EXPORT int VOCELINK_CALL TTSRequestFileEx(const char* serverAddress, int port, const char* text,
                                                   int textLength, const char* location, const char* fileName,
                                                   int voice, int format, int option1, int levelA, int levelB,
                                                   int levelC, int option2);

/*
 * Asks the server for the audio of text and returns it.
 *
 * socketHolder   holds the connection between calls. Set it to TTS_NO_SOCKET before the first call.
 *                The connection belongs to the library while the request runs; the library closes it
 *                and sets the holder back to TTS_NO_SOCKET after the last piece or on a failure. A
 *                caller that stops early closes it with TTSClose.
 * firstRequest   1 starts a new request: connect, send it, read the first reply.
 * singleReply    1 asks the server for the whole audio in one reply (and also starts a new request).
 *                With 0 the server may answer in several pieces: call again with firstRequest and
 *                singleReply both 0 while *outStatus is 0; such a continued call sends nothing and
 *                reads the next piece from the connection in *socketHolder.
 * outDataLength  receives the number of audio bytes returned by this call (0 when none).
 * outStatus      receives 1 (last piece received, connection closed), 0 (more pieces follow on the
 *                connection in *socketHolder) or a negative code: a library code above, or the
 *                server's own negative status when it refused.
 *
 * Returns the audio bytes of this call followed by one extra NUL byte, or NULL when no bytes came or
 * on a failure. Release every non-NULL result with TTSBufferFree. Pieces larger than 256 MiB are
 * refused with VOCELINK_ERR_MEMORY. A NULL socketHolder is allowed for a request that is started and
 * finished in one call.
 */
VOCELINK_EXPORT char* VOCELINK_CALL TTSRequestBuffer(TTSSocket* socketHolder, const char* serverAddress, int port,
                                                     const char* text, int textLength, int* outDataLength, int voice,
                                                     int format, int firstRequest, int singleReply, int* outStatus);

/* TTSRequestBuffer with the extended options and levels (see "Common arguments"). */
VOCELINK_EXPORT char* VOCELINK_CALL TTSRequestBufferEx(TTSSocket* socketHolder, const char* serverAddress, int port,
                                                       const char* text, int textLength, int* outDataLength, int voice,
                                                       int format, int option1, int levelA, int levelB, int levelC,
                                                       int option2, int firstRequest, int singleReply, int* outStatus);

/* Asks the server to play text on its own audio device. Returns the server's status byte or a negative code. */
VOCELINK_EXPORT int VOCELINK_CALL TTSRequestPlay(const char* serverAddress, int port, const char* text, int textLength,
                                                 int voice);

/*
 * Asks the server to synthesise text into a file with a sound effect. effectName (may be NULL) is
 * sent with at most 31 characters, location and fileName with at most 127. Returns 1 when the server
 * accepted the request, VOCELINK_ERR_EFFECT when it answered with any other status, VOCELINK_ERR_FILE_NAME
 * when fileName is NULL (checked after connecting), or another negative code.
 */
VOCELINK_EXPORT int VOCELINK_CALL TTSRequestEffect(const char* serverAddress, int port, const char* text,
                                                   int textLength, const char* location, const char* fileName,
                                                   const char* effectName, int voice, int format, int effectNumber);

/*
 * Asks the server for its status number. Returns the number the server reports after "+OK", 0 when
 * its answer does not begin with "+OK", or VOCELINK_ERR_ADDRESS, VOCELINK_ERR_CONNECT or
 * VOCELINK_ERR_TRANSFER.
 */
VOCELINK_EXPORT int VOCELINK_CALL TTSRequestStatus(const char* serverAddress, int port);

/*
 * Connects to the server and returns the connection without sending anything, or TTS_NO_SOCKET on any
 * failure. connectTimeoutSeconds applies to this call only, in place of the timeout set with
 * TTSSetTimeout: 0 takes only a connection that is made at once, without waiting; a negative value
 * fails at once. Close the connection with TTSClose.
 */
VOCELINK_EXPORT TTSSocket VOCELINK_CALL TTSOpen(const char* serverAddress, int port, int connectTimeoutSeconds);

/*
 * Sends the close request on the connection, reads the server's reply and closes the connection,
 * whether that exchange succeeded or not. Returns the result of closing (0 on success); 0 for
 * TTS_NO_SOCKET.
 */
VOCELINK_EXPORT int VOCELINK_CALL TTSClose(TTSSocket socket);

/*
 * Sets the process-wide timeouts: the connect timeout (default 3 seconds) and the transfer timeout
 * (default 30 seconds: a send or receive gives up once it has waited that long in total for the
 * server). Only values greater than 0 are taken. Returns the connect timeout now in force.
 */
VOCELINK_EXPORT int VOCELINK_CALL TTSSetTimeout(int connectTimeoutSeconds, int transferTimeoutSeconds);

/* Releases audio returned by TTSRequestBuffer or TTSRequestBufferEx. NULL is ignored. Returns 0. */
VOCELINK_EXPORT int VOCELINK_CALL TTSBufferFree(void* data);

#ifdef __cplusplus
}
#endif

#endif /* VOCELINK_H */
