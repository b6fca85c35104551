#pragma once

#include <windows.h>

#include <atomic>
#include <type_traits>
#include <utility>

namespace mirelo::win {

// A system library that start-up does not need, loaded on the first call of one of its functions.
// Every library the program imports is mapped and initialised before WinMain runs; the sound, HTTP
// and OLE automation libraries (and what they pull in) cost start-up time on every run and are
// used only after a pop-up is on the screen. Thread-safe: a worker may make the first call.
class LazyLibrary {
public:
    explicit constexpr LazyLibrary(const char* name) : name_(name) {}
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // The library's handle, loading it the first time; null when it cannot be loaded.
    HMODULE Load();
    // The function's address; null when the library or the function cannot be found.
    FARPROC Find(const char* function);

private:
    const char* name_;
    std::atomic<HMODULE> module_{nullptr};
};

LazyLibrary& Ole32();
LazyLibrary& OleAut32();
LazyLibrary& WinInet();
LazyLibrary& WinMm();

// Calls `name` (declared with type F) from the library; returns `failed` when it cannot be found.
template <typename F, typename... Args>
auto CallLazy(LazyLibrary& library, const char* name, std::invoke_result_t<F*, Args...> failed, Args&&... args) {
    const FARPROC found = library.Find(name);
    if (found == nullptr) return failed;
    return reinterpret_cast<F*>(reinterpret_cast<void*>(found))(std::forward<Args>(args)...);
}

}  // namespace mirelo::win

// LAZY_CALL(WinMm, sndPlaySoundA, FALSE, name, flags): the call with the declaration's own type.
#define LAZY_CALL(library, function, failed, ...) \
    ::mirelo::win::CallLazy<decltype(::function)>(::mirelo::win::library(), #function, failed, __VA_ARGS__)
