// One owner per kind of Win32 resource, which releases it the way its kind must be released: a
// std::unique_ptr for the kinds that are empty when null, a class of its own for the others, and
// for a setting of the thread that must be put back.
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

// Process and thread handles.
using HandleOwner = Owner<HANDLE, CloseHandle>;
using WindowOwner = Owner<HWND, DestroyWindow>;
using FontOwner = Owner<HFONT, DeleteFontObject>;
using IconOwner = Owner<HICON, DestroyIcon>;
// Buffers that the system allocated with LocalAlloc, such as FormatMessageW's.
using LocalOwner = Owner<wchar_t*, FreeLocalBuffer>;

// A file handle, empty when INVALID_HANDLE_VALUE: what CreateFileW answers when it fails.
class FileOwner {
public:
    explicit FileOwner(HANDLE file) : file_(file) {}
    ~FileOwner() {
        if (*this) {
            CloseHandle(file_);
        }
    }
    FileOwner(const FileOwner&) = delete;
    FileOwner& operator=(const FileOwner&) = delete;
    explicit operator bool() const { return file_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return file_; }

private:
    HANDLE file_;
};

// A registry key, closed by the RegCloseKey the program bound on first use: the registry
// functions are not imported, so that a launch loads no DLL it does not need.
class KeyOwner {
public:
    KeyOwner(HKEY key, decltype(&RegCloseKey) close) : key_(key), close_(close) {}
    ~KeyOwner() {
        if (key_ != nullptr) {
            close_(key_);
        }
    }
    KeyOwner(const KeyOwner&) = delete;
    KeyOwner& operator=(const KeyOwner&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
    decltype(&RegCloseKey) close_;
};

// The file-system redirection of a 32-bit program on 64-bit Windows, off for this thread while
// it lives, and as it was once it ends; false where it could not be turned off.
class RedirectionOff {
public:
    RedirectionOff() : off_(Wow64DisableWow64FsRedirection(&previous_) != FALSE) {}
    ~RedirectionOff() {
        if (off_) {
            Wow64RevertWow64FsRedirection(previous_);
        }
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;
    explicit operator bool() const { return off_; }

private:
    void* previous_ = nullptr;
    bool off_;
};

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
