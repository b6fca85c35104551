// forwarding-check senddata TYPE NAME URL    SendData(TYPE, NAME, URL)
// forwarding-check present                   prints "IsBizAppPresent=1" or "IsBizAppPresent=0"
// forwarding-check notify CODE...            NotifyLocalApps(CODE) for each, then waits until all are handed over
//
// The client's forwarding functions, run alone so that a test can watch their "[Mirelo] " debug lines
// and what the stand-in windows receive. Exit code 0 when the call was made, 2 on bad arguments, 1 when
// a code was not queued or not handed over within 30 seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "forwarding/forwarding_win.h"

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "senddata") == 0) {
        mirelo::SendData(std::atoi(argv[2]), argv[3], argv[4]);
        std::puts("SendData done");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "present") == 0) {
        std::printf("IsBizAppPresent=%d\n", mirelo::IsBizAppPresent() ? 1 : 0);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "notify") == 0) {
        for (int i = 2; i < argc; ++i) {
            if (!mirelo::NotifyLocalApps(std::atoi(argv[i]))) {
                std::printf("NotifyLocalApps(%s) refused\n", argv[i]);
                return 1;
            }
        }
        // The client never waits; this program must, or it would end before the worker has sent.
        if (!mirelo::WaitForLocalApps(30000)) {
            std::puts("NotifyLocalApps: still sending after 30 s");
            return 1;
        }
        std::puts("NotifyLocalApps done");
        return 0;
    }
    std::fputs("usage: forwarding-check senddata TYPE NAME URL | present | notify CODE...\n", stderr);
    return 2;
}
