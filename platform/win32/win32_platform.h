// Pieces of the Win32 platform that its own tests reach directly.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform::win32 {

// The text after the program name of a command line: the name is either quoted or runs to the
// first blank or tab; the blanks and tabs that separate it from the arguments are skipped.
std::wstring ArgumentsAfterProgramName(std::wstring_view commandLine);

// Text from a function that fills a caller's buffer and answers the length it wrote, or, when the
// buffer is too small, at least the buffer's size (GetModuleFileNameW cuts the text and answers
// the size, GetEnvironmentVariableW answers the size it needs); the buffer grows until it fits.
std::wstring
TextFromGrowingBuffer(const std::function<unsigned long(wchar_t*, unsigned long)>& fill);

// The directory part of a module path: everything before its last backslash.
std::wstring DirectoryOf(std::wstring_view modulePath);

// The system's own words for an error code, without the trailing line end.
std::wstring SystemErrorText(unsigned long code);

} // namespace platform::win32
