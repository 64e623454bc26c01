// One owner per kind of Win32 resource: a std::unique_ptr whose deleter releases it the way its
// kind must be released. Each of these kinds is empty when null.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform::win32 {

// A deleter for Handle that releases it with Release.
template <typename Handle, BOOL(WINAPI* Release)(Handle)> struct Releaser {
    using pointer = Handle;
    void operator()(Handle handle) const { Release(handle); }
};

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
using Owner = std::unique_ptr<std::remove_pointer_t<Handle>, Releaser<Handle, Release>>;

inline BOOL WINAPI DeleteFontObject(HFONT font) {
    return DeleteObject(font);
}
inline BOOL WINAPI FreeLocalBuffer(wchar_t* buffer) {
    return LocalFree(buffer) == nullptr;
}

// Process, thread and file handles. A file that failed to open is INVALID_HANDLE_VALUE, not null:
// see OwnedFile.
using HandleOwner = Owner<HANDLE, CloseHandle>;
using WindowOwner = Owner<HWND, DestroyWindow>;
using FontOwner = Owner<HFONT, DeleteFontObject>;
using IconOwner = Owner<HICON, DestroyIcon>;
// Buffers that the system allocated with LocalAlloc, such as FormatMessageW's.
using LocalOwner = Owner<wchar_t*, FreeLocalBuffer>;

inline HandleOwner OwnedFile(HANDLE file) {
    return HandleOwner(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The screen's device context, for as long as it is needed.
class ScreenContext {
public:
    ScreenContext() : context_(GetDC(nullptr)) {}
    ~ScreenContext() { ReleaseDC(nullptr, context_); }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC get() const { return context_; }

private:
    HDC context_;
};

} // namespace platform::win32
