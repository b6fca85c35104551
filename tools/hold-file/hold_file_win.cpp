// hold-file PATH [SECONDS]: opens PATH for reading and writing with no sharing at all, prints "holding"
// and keeps it open until its standard input ends or SECONDS (default 60) have passed. Meanwhile no
// other program can open, replace or rename the file.

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

// Waits for the end of standard input on a thread of its own, so that the main thread can time out.
DWORD WINAPI WaitForInputEnd(LPVOID) {
    char buffer[256];
    DWORD read = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fwprintf(stderr, L"usage: hold-file PATH [SECONDS]\n");
        return 2;
    }
    const DWORD seconds = argc == 3 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 60;
    const HANDLE file =
        CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fwprintf(stderr, L"hold-file: cannot open %ls: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    const HANDLE waiter = CreateThread(nullptr, 0, &WaitForInputEnd, nullptr, 0, nullptr);
    if (waiter != nullptr) {
        WaitForSingleObject(waiter, seconds * 1000);
        CloseHandle(waiter);
    } else {
        Sleep(seconds * 1000);
    }
    CloseHandle(file);
    std::printf("released\n");
    return 0;
}
