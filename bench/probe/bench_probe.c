/* bench-probe: the Windows side of the start-up and pop-up benchmarks, one clock for every program.
 *
 *   bench-probe start PORT [--datagram FILE] -- PROGRAM [ARGUMENTS]
 *       starts PROGRAM and prints "start pid=P tray_ms=T socket_ms=S ready_ms=R": the milliseconds
 *       until its tray icon exists and until something listens on UDP PORT. With --datagram it then
 *       sends the file's bytes to PORT and prints "popup ms=M" (see popup).
 *   bench-probe popup PORT PID [--repeat N] FILE...
 *       for each file (N datagrams in all, taking the files in turn): sends its bytes as one datagram to PORT and
 * prints "popup ms=M", the milliseconds until a top-level window of process PID that was hidden or not there yet is
 *       visible (a program may make its windows ahead and only show one); then closes that window and waits until it
 *       is gone.
 *   bench-probe hold
 *       waits until it is ended: keeps Wine's desktop process alive between the runs.
 *   bench-probe close PID
 *       closes the hidden top-level windows of PID (its main window) and waits for the process to end.
 *
 * Times come from QueryPerformanceCounter. New windows are seen through an out-of-context WinEvent
 * hook (EVENT_OBJECT_CREATE), and their visibility is polled, since Wine reports no EVENT_OBJECT_SHOW. */

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define TIMEOUT_MS 30000
#define MAX_WINDOWS 64

static LARGE_INTEGER frequency;
static DWORD watched_pid;
static HWND created[MAX_WINDOWS];
static int created_count;
static int tray_seen;

static double Now(void) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                             DWORD time) {
    char name[64];
    DWORD pid = 0;
    if (window == NULL || object != OBJID_WINDOW) return;
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof(name));
    if (strstr(name, "tray_icon") != NULL) tray_seen = 1;
    if (pid == watched_pid && GetAncestor(window, GA_ROOT) == window && created_count < MAX_WINDOWS &&
        strcmp(name, "IME") != 0) {
        created[created_count++] = window;
    }
}

static void Pump(DWORD wait_ms) {
    MSG message;
    MsgWaitForMultipleObjects(0, NULL, FALSE, wait_ms, QS_ALLINPUT);
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

/* Whether a UDP socket is bound to the port, read from the system's table: binding a test socket
 * would take the port from the program that is starting. */
static int PortTaken(int port) {
    static char buffer[1 << 16];
    MIB_UDPTABLE* table = (MIB_UDPTABLE*)buffer;
    ULONG size = sizeof(buffer);
    DWORD i;
    if (GetUdpTable(table, &size, FALSE) != NO_ERROR) return 0;
    for (i = 0; i < table->dwNumEntries; ++i) {
        if (ntohs((u_short)table->table[i].dwLocalPort) == port) return 1;
    }
    return 0;
}

static int ReadFileBytes(const char* path, char* buffer, int size) {
    FILE* file = fopen(path, "rb");
    int length;
    if (file == NULL) return -1;
    length = (int)fread(buffer, 1, (size_t)size, file);
    fclose(file);
    return length;
}

/* The hidden top-level windows of the watched process, as candidates for the next pop-up. */
static BOOL CALLBACK AddHidden(HWND window, LPARAM lparam) {
    char name[64];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != watched_pid || IsWindowVisible(window) || created_count >= MAX_WINDOWS) return TRUE;
    GetClassNameA(window, name, sizeof(name));
    if (strcmp(name, "IME") != 0) created[created_count++] = window;
    return TRUE;
}

/* Sends one datagram and waits until a new or hidden top-level window of the watched process is visible. */
static int MeasurePopup(int port, const char* path) {
    static char datagram[65536];
    struct sockaddr_in target = {0};
    int length = ReadFileBytes(path, datagram, sizeof(datagram));
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    HWND shown = NULL;
    double start, end;
    int i;
    if (length < 0) {
        fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    target.sin_family = AF_INET;
    target.sin_port = htons((unsigned short)port);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    created_count = 0;
    EnumWindows(AddHidden, 0);
    start = Now();
    sendto(s, datagram, length, 0, (struct sockaddr*)&target, sizeof(target));
    while (shown == NULL && Now() - start < TIMEOUT_MS) {
        Pump(0);
        for (i = 0; i < created_count && shown == NULL; ++i) {
            if (IsWindowVisible(created[i])) shown = created[i];
        }
        if (shown == NULL) Sleep(0);
    }
    end = Now();
    closesocket(s);
    if (shown == NULL) {
        printf("popup timeout\n");
        return 1;
    }
    printf("popup ms=%.3f\n", end - start);
    fflush(stdout);
    PostMessageA(shown, WM_CLOSE, 0, 0);
    while (IsWindow(shown) && Now() - end < TIMEOUT_MS) Pump(1);
    return 0;
}

static BOOL CALLBACK CloseHidden(HWND window, LPARAM lparam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == (DWORD)lparam && !IsWindowVisible(window) && GetWindow(window, GW_OWNER) == NULL) {
        char name[64];
        GetClassNameA(window, name, sizeof(name));
        if (strcmp(name, "IME") != 0) PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

static int Close(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
    if (process == NULL) return 0;
    EnumWindows(CloseHidden, (LPARAM)pid);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
        printf("close timeout: terminated\n");
        TerminateProcess(process, 1);
    }
    CloseHandle(process);
    return 0;
}

static int Start(int port, const char* datagram, char* command_line) {
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    double start = Now(), tray_ms = -1, socket_ms = -1;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    tray_seen = 0;
    if (!CreateProcessA(NULL, command_line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "cannot start %s: %lu\n", command_line, GetLastError());
        return 1;
    }
    watched_pid = process.dwProcessId;
    while ((tray_ms < 0 || socket_ms < 0) && Now() - start < TIMEOUT_MS) {
        Pump(0);
        if (tray_ms < 0 && tray_seen) tray_ms = Now() - start;
        if (socket_ms < 0 && PortTaken(port)) socket_ms = Now() - start;
        if (tray_ms < 0 || socket_ms < 0) Sleep(1);
    }
    printf("start pid=%lu tray_ms=%.3f socket_ms=%.3f ready_ms=%.3f\n", process.dwProcessId, tray_ms, socket_ms,
           tray_ms > socket_ms ? tray_ms : socket_ms);
    fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (tray_ms < 0 || socket_ms < 0) return 1;
    return datagram != NULL ? MeasurePopup(port, datagram) : 0;
}

/* The command line after "--", as the program received it. */
static char* CommandAfterDashes(void) {
    char* line = GetCommandLineA();
    char* dashes = strstr(line, " -- ");
    return dashes != NULL ? dashes + 4 : NULL;
}

int main(int argc, char** argv) {
    WSADATA wsa;
    int i, failed = 0;
    QueryPerformanceFrequency(&frequency);
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (argc >= 4 && strcmp(argv[1], "start") == 0) {
        const char* datagram = argc >= 5 && strcmp(argv[3], "--datagram") == 0 ? argv[4] : NULL;
        char* command = CommandAfterDashes();
        if (command == NULL) return 2;
        return Start(atoi(argv[2]), datagram, command);
    }
    if (argc >= 5 && strcmp(argv[1], "popup") == 0) {
        int first = 4, count;
        watched_pid = (DWORD)strtoul(argv[3], NULL, 10);
        if (strcmp(argv[4], "--repeat") == 0 && argc >= 7) first = 6;
        /* This process's own start-up work would otherwise fall into the first figure. */
        Sleep(200);
        Pump(0);
        count = first == 6 ? atoi(argv[5]) : argc - first;
        for (i = 0; i < count; ++i) failed |= MeasurePopup(atoi(argv[2]), argv[first + i % (argc - first)]);
        return failed;
    }
    if (argc == 2 && strcmp(argv[1], "hold") == 0) {
        for (;;) Pump(INFINITE);
    }
    if (argc == 3 && strcmp(argv[1], "close") == 0) return Close((DWORD)strtoul(argv[2], NULL, 10));
    fprintf(stderr,
            "usage: bench-probe start PORT [--datagram FILE] -- PROGRAM [ARGS] | popup PORT PID [--repeat N] FILE... | "
            "hold | close PID\n");
    return 2;
}
