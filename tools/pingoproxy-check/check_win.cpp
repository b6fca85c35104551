// pingoproxy-check send CODE [TEXT]
// pingoproxy-check threads THREADS CALLS CODE
// pingoproxy-check batch CODE...
//
// Loads PingoProxy.dll with LoadLibraryA and finds PingoSendMessage by its plain name, as any program of
// the suite may. "send" makes one call (without TEXT the text is NULL) and prints its result; "threads"
// starts THREADS threads that wait for one signal and then each make CALLS calls, with the code
// CODE + thread * CALLS + call and no text, and prints how many calls returned 1; "batch" hands the codes
// to PingoSendMessages in one call (no text) and prints its result and how long it took. Exit code 0 when the
// library was loaded and every call returned (whatever it returned), 2 on bad arguments, 1 otherwise.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PingoProxy.h"

namespace {

using SendFunction = decltype(&PingoSendMessage);
using BatchFunction = decltype(&PingoSendMessages);

SendFunction send = nullptr;
HANDLE startSignal = nullptr;
std::atomic<int> returnedOne{0};

struct ThreadArgs {
    int firstCode;
    int calls;
};

DWORD WINAPI CallerThread(void* parameter) {
    try {
        const ThreadArgs args = *static_cast<const ThreadArgs*>(parameter);
        WaitForSingleObject(startSignal, INFINITE);
        for (int call = 0; call < args.calls; ++call) {
            if (send(args.firstCode + call, nullptr) == 1) ++returnedOne;
        }
    } catch (...) {
    }
    return 0;
}

int SendOnce(int code, const char* text) {
    const int result = send(code, text);
    std::printf("PingoSendMessage(%d, %s) = %d\n", code, text == nullptr ? "NULL" : text, result);
    return 0;
}

int SendFromThreads(int threadCount, int calls, int code) {
    if (threadCount < 1 || threadCount > MAXIMUM_WAIT_OBJECTS || calls < 1) {
        std::printf("THREADS must be 1 to %d and CALLS at least 1\n", MAXIMUM_WAIT_OBJECTS);
        return 2;
    }
    startSignal = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<ThreadArgs> args(static_cast<std::size_t>(threadCount));
    std::vector<HANDLE> threads;
    for (int t = 0; t < threadCount; ++t) {
        args[static_cast<std::size_t>(t)] = ThreadArgs{code + t * calls, calls};
        const HANDLE thread = CreateThread(nullptr, 0, &CallerThread, &args[static_cast<std::size_t>(t)], 0, nullptr);
        if (thread == nullptr) {
            std::printf("CreateThread failed: %lu\n", GetLastError());
            return 1;
        }
        threads.push_back(thread);
    }
    SetEvent(startSignal);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    for (const HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(startSignal);
    std::printf("threads=%d calls=%d returned 1: %d of %d\n", threadCount, calls, returnedOne.load(),
                threadCount * calls);
    return 0;
}

int SendBatch(HMODULE library, int count, char** codeArgs) {
    const auto batch =
        reinterpret_cast<BatchFunction>(reinterpret_cast<void*>(GetProcAddress(library, "PingoSendMessages")));
    if (batch == nullptr) {
        std::printf("GetProcAddress(\"PingoSendMessages\") failed: %lu\n", GetLastError());
        return 1;
    }
    std::vector<int> codes;
    for (int i = 0; i < count; ++i) codes.push_back(std::atoi(codeArgs[i]));
    const ULONGLONG started = GetTickCount64();
    const int result = batch(codes.data(), count, nullptr);
    std::printf("PingoSendMessages(%d codes) = %d in %llu ms\n", count, result,
                static_cast<unsigned long long>(GetTickCount64() - started));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool sendMode = argc >= 3 && argc <= 4 && std::strcmp(argv[1], "send") == 0;
    const bool threadMode = argc == 5 && std::strcmp(argv[1], "threads") == 0;
    const bool batchMode = argc >= 3 && std::strcmp(argv[1], "batch") == 0;
    if (!sendMode && !threadMode && !batchMode) {
        std::fputs(
            "usage: pingoproxy-check send CODE [TEXT]\n"
            "       pingoproxy-check threads THREADS CALLS CODE\n"
            "       pingoproxy-check batch CODE...\n",
            stderr);
        return 2;
    }
    const HMODULE library = LoadLibraryA("PingoProxy.dll");
    if (library == nullptr) {
        std::printf("LoadLibraryA(\"PingoProxy.dll\") failed: %lu\n", GetLastError());
        return 1;
    }
    send = reinterpret_cast<SendFunction>(reinterpret_cast<void*>(GetProcAddress(library, "PingoSendMessage")));
    if (send == nullptr) {
        std::printf("GetProcAddress(\"PingoSendMessage\") failed: %lu\n", GetLastError());
        return 1;
    }
    const int result = batchMode  ? SendBatch(library, argc - 2, argv + 2)
                       : sendMode ? SendOnce(std::atoi(argv[2]), argc == 4 ? argv[3] : nullptr)
                                  : SendFromThreads(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    std::fflush(stdout);
    FreeLibrary(library);
    return result;
}
