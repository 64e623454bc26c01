// Pieces of the Win32 platform that the program's entry (launcher/win_main.cpp) and the platform's
// own tests reach directly.
#pragma once

#include "platform/platform.h"

#include <functional>
#include <string>
#include <string_view>

namespace platform::win32 {

// Text from a function that fills a caller's buffer and answers the length it wrote, or, when the
// buffer is too small, at least the buffer's size (GetModuleFileNameW cuts the text and answers
// the size, GetEnvironmentVariableW answers the size it needs); the buffer grows until it fits.
// An answer of 0 is an empty text when the system reports no error or a variable not found, and
// otherwise a SystemError of call. The first buffer holds firstSize characters, at least one.
std::wstring
TextFromGrowingBuffer(const wchar_t* call,
                      const std::function<unsigned long(wchar_t*, unsigned long)>& fill,
                      std::size_t firstSize = 260);

// Makes the system folder the only place DLLs are loaded from by name, where the system offers
// that (SetDefaultDllDirectories, bound on first use). By default Windows looks beside the exe
// first for a DLL that is not among its known ones, and a copy of the exe in a folder that others
// can write to, such as Downloads or a share, would load one planted there.
void LoadDllsOnlyFromTheSystemFolder() noexcept;

// A registry value read with query, RegQueryValueExW for one open key and value name: asked for
// its type and size, then read into a buffer of that size, and read again, a few times at most,
// when it grew in between. A value that shrank keeps only what was read.
RegistryAnswer ReadGrowingValue(const std::function<long(unsigned long* type, unsigned char* data,
                                                         unsigned long* size)>& query);

// The path by which this process reaches the file that a 64-bit program reaches by path: under
// WoW64, a path in the system folder, however spelled (letter case, \\?\, slashes, dots, the short
// name), becomes the same path in Sysnative, the one name of that folder that is not redirected
// to SysWOW64. Any other path, and every path of a 64-bit program, stays as it is. Every file the
// platform opens, tests or starts goes by it.
std::wstring NativePath(const std::wstring& path);

// The system's own words for an error code, without the trailing line end.
std::wstring SystemErrorText(unsigned long code);

// The error that the last failed system call, named call, left behind.
SystemError LastSystemError(const wchar_t* call);

} // namespace platform::win32
