#include "speech/speech_win.h"

// Windows Sockets 2 must come before windows.h, which would pull in the old Windows Sockets 1 header.
#include <winsock2.h>

#include <windows.h>
#include <mmsystem.h>

#include "core/settings_win.h"
#include "core/worker_pool.h"
#include "popups/popup_win.h"
#include "speech/speech_text.h"
#include "store/registry_win.h"
#include "vocelink.h"
#include "win/log.h"
#include "win/lazy_library.h"

#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace mirelo {

using win::Log;

namespace {

// One sentence speaks while a few wait: sentences keep their order, and a sound never cuts off the
// one before it, since the player stops whatever plays when it starts.
constexpr std::size_t kSpeechThreads = 1;
constexpr std::size_t kSentencesWaiting = 3;
constexpr DWORD kSuiteDirBytes = 1024;
constexpr DWORD kAddressBytes = 20;  // 19 characters and a NUL

struct SpeechServer {
    std::string address = kDefaultSpeechAddress;
    int port = kDefaultSpeechPort;
};

std::string SuiteDir() {
    std::vector<char> value(kSuiteDirBytes + 1, '\0');
    DWORD type = REG_NONE;
    DWORD size = kSuiteDirBytes;
    // The suite is a 32-bit program: its value lives in the 32-bit view, also for a 64-bit build of ours.
    ReadRegistryValue("HKLM", kSuiteRegistryKey, kSuiteFolderValue, &type, &size, value.data(), KEY_WOW64_32KEY);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    return value.data();  // the value may lack its NUL; the buffer has one more
}

SpeechServer ReadSpeechServer() {
    SpeechServer server;
    const std::string path = SuiteSettingsPath(SuiteDir());
    if (path.empty()) return server;
    server.port =
        SpeechPort(static_cast<int>(GetPrivateProfileIntA(kSpeechSection, "Port", kDefaultSpeechPort, path.c_str())));
    char address[kAddressBytes] = {};
    GetPrivateProfileStringA(kSpeechSection, "IP", kDefaultSpeechAddress, address, kAddressBytes, path.c_str());
    server.address = address;
    return server;
}

// vocelink, loaded once and kept for the life of the process.
struct Vocelink {
    decltype(&TTSRequestBuffer) requestBuffer = nullptr;
    decltype(&TTSBufferFree) bufferFree = nullptr;
};

Vocelink LoadVocelink(const std::string& libraryDir) {
    static std::mutex loading;
    static Vocelink loaded;
    const std::lock_guard<std::mutex> lock(loading);
    if (loaded.requestBuffer != nullptr && loaded.bufferFree != nullptr) return loaded;
    HMODULE module = LoadLibraryA(VocelinkPath(libraryDir, IsAnsiLeadByte).c_str());
    if (module == nullptr) module = LoadLibraryA(kVocelinkFile);
    if (module == nullptr) {
        Log("speech: %s not found\n", kVocelinkFile);
        return loaded;
    }
    loaded.requestBuffer = reinterpret_cast<decltype(&TTSRequestBuffer)>(
        reinterpret_cast<void*>(GetProcAddress(module, "TTSRequestBuffer")));
    loaded.bufferFree =
        reinterpret_cast<decltype(&TTSBufferFree)>(reinterpret_cast<void*>(GetProcAddress(module, "TTSBufferFree")));
    if (loaded.requestBuffer == nullptr || loaded.bufferFree == nullptr) {
        Log("speech: %s lacks TTSRequestBuffer or TTSBufferFree\n", kVocelinkFile);
    }
    return loaded;
}

WorkerPool& SpeechWorker() {
    // Never destroyed: a request may wait for the server for half a minute, and the end of the
    // process must not wait for it.
    static WorkerPool* const pool = new WorkerPool(kSpeechThreads, kSentencesWaiting);
    return *pool;
}

}  // namespace

int SpeakText(const std::string& libraryDir, const std::string& text) {
    const SpeechServer server = ReadSpeechServer();
    const Vocelink vocelink = LoadVocelink(libraryDir);
    if (vocelink.requestBuffer == nullptr || vocelink.bufferFree == nullptr) return -1;

    Log("speech: asking %s:%d for %d bytes of text\n", server.address.c_str(), server.port,
        static_cast<int>(text.size()));
    TTSSocket holder = TTS_NO_SOCKET;
    int length = 0;
    int status = 0;
    char* audio = vocelink.requestBuffer(&holder, server.address.c_str(), server.port, text.c_str(),
                                         static_cast<int>(text.size()), &length, 10, 1, 1, 1, &status);
    Log("speech: status %d, %d bytes of audio\n", status, length);
    if (status == 1 && audio != nullptr && length > 0) {
        if (!IsCompleteWave(std::string_view(audio, static_cast<std::size_t>(length)))) {
            Log("speech: the audio is not a complete WAVE image; not played\n");
        } else {
            Log("speech: playing %d bytes of audio\n", length);
            if (LAZY_CALL(WinMm, sndPlaySoundA, FALSE, audio, SND_MEMORY)) {
                Log("speech: played\n");
            } else {
                Log("Cannot play sound in memory: %ld\n", static_cast<long>(GetLastError()));
            }
        }
    }
    vocelink.bufferFree(audio);
    if (holder != TTS_NO_SOCKET) closesocket(static_cast<SOCKET>(holder));
    return status;
}

void SpeakNotification(std::string sentence) {
    const int bytes = static_cast<int>(sentence.size());
    std::string libraryDir = Settings().ProgramDir;
    auto job = [libraryDir = std::move(libraryDir), sentence = std::move(sentence)] {
        SpeakText(libraryDir, sentence);
    };
    if (SpeechWorker().Post(std::move(job))) {
        Log("speech: %d bytes of text queued\n", bytes);
    } else {
        Log("speech: %d sentences in progress; this one is dropped\n",
            static_cast<int>(kSpeechThreads + kSentencesWaiting));
    }
}

}  // namespace mirelo
