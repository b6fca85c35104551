#pragma once

#include <windows.h>

#include <string>

namespace mirelo {

// The application object: decides whether this process becomes the running client, applies the
// start-up payload, runs the message loop and shuts down.
class CMireloApp {
public:
    explicit CMireloApp(std::string commandLine) : commandLine_(std::move(commandLine)) {}
    CMireloApp(const CMireloApp&) = delete;
    CMireloApp& operator=(const CMireloApp&) = delete;

    // True when this process runs as the client.
    bool InitInstance();
    int Run();
    void ExitInstance();

private:
    void HandleSecondInstance(bool appExit);
    void ApplyStartupPayload();
    std::string ReadShortcutFile(const std::string& path);

    std::string commandLine_;
    HANDLE mutex_ = nullptr;
    bool socketsStarted_ = false;
};

}  // namespace mirelo
