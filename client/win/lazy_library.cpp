#include "win/lazy_library.h"

#include "win/log.h"

namespace mirelo::win {

HMODULE LazyLibrary::Load() {
    HMODULE module = module_.load(std::memory_order_acquire);
    if (module != nullptr) return module;
    // Two threads may both load it; the library's reference count keeps that harmless.
    module = LoadLibraryA(name_);
    if (module == nullptr) {
        Log("library %s could not be loaded: %lu\n", name_, GetLastError());
        return nullptr;
    }
    HMODULE expected = nullptr;
    if (!module_.compare_exchange_strong(expected, module, std::memory_order_acq_rel)) {
        FreeLibrary(module);
        module = expected;
    }
    return module;
}

FARPROC LazyLibrary::Find(const char* function) {
    const HMODULE module = Load();
    if (module == nullptr) return nullptr;
    const FARPROC found = GetProcAddress(module, function);
    if (found == nullptr) Log("library %s has no %s\n", name_, function);
    return found;
}

LazyLibrary& Ole32() {
    static LazyLibrary library("ole32.dll");
    return library;
}

LazyLibrary& OleAut32() {
    static LazyLibrary library("oleaut32.dll");
    return library;
}

LazyLibrary& WinInet() {
    static LazyLibrary library("wininet.dll");
    return library;
}

LazyLibrary& WinMm() {
    static LazyLibrary library("winmm.dll");
    return library;
}

}  // namespace mirelo::win
