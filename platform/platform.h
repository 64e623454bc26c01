// What the start-up logic needs of the machine it runs on. One implementation per platform is
// linked in by the build: platform/win32 for Pelorin.exe, platform/memory for the host tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The text that follows the program name on the program's own command line, as typed.
std::wstring ArgumentString();

// The directory that holds the running executable, without a trailing backslash.
std::wstring ExecutableDirectory();

// The whole content of an existing file. Throws Failure (FileNotFound) when it can't be opened
// or read.
std::string ReadFileBytes(const std::wstring& path);

// Conversions between wide text and the system's ANSI code page.
std::wstring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::wstring_view text);

// The ANSI registry primitives, with the system's own status codes (0 is success). A key of 0
// is no key: queries on it fail.
using RegistryKey = std::uintptr_t;
long RegistryOpenKey(std::uint32_t rootKey, const std::string& keyPath, std::uint32_t options,
                     std::uint32_t desiredAccess, RegistryKey& key);
// data may be null to ask for type and size only; size is in bytes, in and out.
long RegistryQueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                        char* data, std::uint32_t& size);
void RegistryCloseKey(RegistryKey key);

// Starts a process from one complete command line (the program is its first token, found the
// platform's usual way) with the given window show state, and returns its identifier without
// waiting. Throws Failure (CannotStartProcess).
std::uint32_t LaunchProcess(const std::wstring& commandLine, int showState);

// Tells the user that the run failed, with the report text. Blocks until acknowledged.
void ReportFailure(const std::wstring& report);

} // namespace platform
