#pragma once

#include <windows.h>

#include <utility>

namespace mirelo::win {

// Move-only owner of one handle; Close is the function that releases it.
template <typename Handle, auto Close, Handle Invalid>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const { return handle_; }
    Handle* Put() {
        Reset();
        return &handle_;
    }
    explicit operator bool() const { return handle_ != Invalid; }
    Handle Release() { return std::exchange(handle_, Invalid); }
    void Reset(Handle handle = Invalid) {
        if (handle_ != Invalid) Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Invalid;
};

inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
template <typename Object>
inline void DeleteGdiObject(Object object) {
    DeleteObject(object);
}
inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
inline void ReleaseModule(HMODULE module) { FreeLibrary(module); }

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle, nullptr>;
using UniqueRegistryKey = UniqueHandle<HKEY, CloseRegistryKey, nullptr>;
using UniqueModule = UniqueHandle<HMODULE, ReleaseModule, nullptr>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject<HBITMAP>, nullptr>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject<HFONT>, nullptr>;

// Selects a GDI object into a device context for the guard's lifetime.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace mirelo::win
