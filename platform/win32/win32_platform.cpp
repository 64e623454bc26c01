#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/owners.h"
#include "platform/win32/win32_platform.h"

#include <array>
#include <climits>
#include <memory>
#include <optional>

namespace platform {
namespace win32 {

std::wstring
TextFromGrowingBuffer(const wchar_t* call,
                      const std::function<unsigned long(wchar_t*, unsigned long)>& fill,
                      std::size_t firstSize) {
    std::wstring text(std::max<std::size_t>(firstSize, 1), L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const unsigned long length = fill(text.data(), static_cast<unsigned long>(text.size()));
        if (length == 0 && GetLastError() != ERROR_SUCCESS &&
            GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
            throw LastSystemError(call);
        }
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(std::max<std::size_t>(text.size() * 2, length));
    }
}

namespace {

// A value that keeps changing size between the reads is given up after this many.
constexpr int MaxValueReads = 4;

} // namespace

RegistryAnswer ReadGrowingValue(const std::function<long(unsigned long* type, unsigned char* data,
                                                         unsigned long* size)>& query) {
    using Outcome = RegistryAnswer::Outcome;
    DWORD type = 0;
    DWORD size = 0;
    LONG status = query(&type, nullptr, &size);
    for (int read = 0; read < MaxValueReads && status == ERROR_SUCCESS; ++read) {
        std::string data(size, '\0');
        DWORD readSize = size;
        status = query(&type, reinterpret_cast<BYTE*>(data.data()), &readSize);
        if (status == ERROR_SUCCESS) {
            data.resize(std::min<std::size_t>(readSize, data.size())); // it may have shrunk
            return {Outcome::Value, ERROR_SUCCESS, type, std::move(data)};
        }
        if (status == ERROR_MORE_DATA && read + 1 < MaxValueReads) { // it grew, to readSize
            size = readSize;
            status = ERROR_SUCCESS;
        }
    }
    return {Outcome::NoValue, static_cast<std::uint32_t>(status), 0, {}};
}

SystemError LastSystemError(const wchar_t* call) {
    const DWORD code = GetLastError();
    return SystemError(call, code, SystemErrorText(code));
}

std::wstring SystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const LocalOwner buffer(text);
    if (length == 0 || text == nullptr) {
        return L"the system has no text for this error.";
    }
    std::wstring result(text, length);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' ||
                               result.back() == L' ' || result.back() == L'.')) {
        result.pop_back();
    }
    return result + L".";
}

} // namespace win32

namespace {

using win32::HandleOwner;

// The registry functions are bound when first called. Current Windows serves them from the core
// registry API set, which lives in kernelbase.dll, already in every process; so a program that
// needs no more of it does without advapi32.dll and the DLLs that it brings. Older Windows has them
// in advapi32.dll. Both names resolve inside the system: neither is looked for beside a user's
// files.
struct RegistryFunctions {
    decltype(&RegOpenKeyExW) open = nullptr;
    decltype(&RegQueryValueExW) query = nullptr;
    decltype(&RegCloseKey) close = nullptr;
};

template <typename Function> Function Bound(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const RegistryFunctions& Registry() {
    static const RegistryFunctions functions = [] {
        for (const wchar_t* dll : {L"api-ms-win-core-registry-l1-1-0.dll", L"advapi32.dll"}) {
            HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
                // A system without the safe search flag; advapi32.dll is a known DLL there.
                module = std::wstring_view(dll) == L"advapi32.dll" ? LoadLibraryW(dll) : nullptr;
            }
            if (module == nullptr) {
                continue;
            }
            const RegistryFunctions found{
                Bound<decltype(&RegOpenKeyExW)>(module, "RegOpenKeyExW"),
                Bound<decltype(&RegQueryValueExW)>(module, "RegQueryValueExW"),
                Bound<decltype(&RegCloseKey)>(module, "RegCloseKey")};
            if (found.open != nullptr && found.query != nullptr && found.close != nullptr) {
                return found;
            }
        }
        return RegistryFunctions{};
    }();
    return functions;
}

REGSAM ToViewAccess(RegistryView view) {
    switch (view) {
    case RegistryView::Bits32:
        return KEY_WOW64_32KEY;
    case RegistryView::Bits64:
        break;
    }
    return KEY_WOW64_64KEY;
}

HKEY ToHkey(RootKey rootKey) {
    switch (rootKey) {
    case RootKey::LocalMachine:
        break;
    }
    return HKEY_LOCAL_MACHINE;
}

WORD ToShowWindow(ShowState showState) {
    switch (showState) {
    case ShowState::Normal:
        break;
    }
    return SW_SHOWNORMAL;
}

} // namespace

void win32::LoadDllsOnlyFromTheSystemFolder() noexcept {
    if (const auto restrict = Bound<BOOL(WINAPI*)(DWORD)>(GetModuleHandleW(L"kernel32.dll"),
                                                          "SetDefaultDllDirectories")) {
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

std::wstring CommandLine() {
    return GetCommandLineW();
}

std::wstring ExecutablePath() {
    return win32::TextFromGrowingBuffer(
        L"GetModuleFileNameW", [](wchar_t* buffer, unsigned long size) {
            return static_cast<unsigned long>(GetModuleFileNameW(nullptr, buffer, size));
        });
}

std::string ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
    const win32::FileOwner file(CreateFileW(win32::NativePath(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
    if (!file) {
        throw win32::LastSystemError(L"CreateFileW");
    }
    std::string bytes(maxBytes, '\0');
    std::size_t filled = 0;
    DWORD read = 1;
    while (filled < bytes.size() && read != 0) {
        const DWORD piece =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1 << 20));
        if (!ReadFile(file.get(), bytes.data() + filled, piece, &read, nullptr)) {
            throw win32::LastSystemError(L"ReadFile");
        }
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

namespace {

std::wstring ToWide(UINT codePage, std::string_view bytes) {
    const int inLength = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    if (inLength == 0) {
        return {};
    }
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), inLength, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), inLength, text.data(), length);
    return text;
}

// Without flags: into the ANSI code page with the system's best-fit look-alikes, as Windows
// converts a command line for GetCommandLineA.
std::string FromWide(UINT codePage, std::wstring_view text) {
    const int inLength = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    if (inLength == 0) {
        return {};
    }
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), inLength, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), inLength, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

} // namespace

std::wstring AnsiToWide(std::string_view bytes) {
    return ToWide(CP_ACP, bytes);
}

std::wstring AsAnsiProgramReadsIt(std::wstring_view text) {
    return ToWide(CP_ACP, FromWide(CP_ACP, text));
}

std::uint32_t AnsiCodePage() {
    return GetACP();
}

namespace {

// The short name of a path as this process reaches it, redirection and all.
std::optional<std::wstring> ShortPathAsReached(const std::wstring& path) {
    try {
        return win32::TextFromGrowingBuffer(
            L"GetShortPathNameW", [&](wchar_t* buffer, unsigned long size) {
                return static_cast<unsigned long>(GetShortPathNameW(path.c_str(), buffer, size));
            });
    } catch (const SystemError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<std::wstring> ShortPath(const std::wstring& path) {
    if (win32::NativePath(path) == path) {
        return ShortPathAsReached(path);
    }
    // A file in the system folder, asked for by a 32-bit program: its short name is asked of the
    // folder a 64-bit program sees, with the redirection to SysWOW64 off for this thread during
    // just this call. Sysnative can't be asked instead: the file system lists no folder of that
    // name, and a 64-bit runtime could not use a name in it.
    const win32::RedirectionOff redirectionOff;
    return redirectionOff ? ShortPathAsReached(path) : std::nullopt;
}

std::wstring Utf8ToWide(std::string_view bytes) {
    return ToWide(CP_UTF8, bytes);
}

std::string WideToUtf8(std::wstring_view text) {
    return FromWide(CP_UTF8, text);
}

namespace {

// Whether this is a 32-bit process on 64-bit Windows, x64 or ARM64. Asked once a run.
bool RunsUnderWow64() {
    static const bool wow64 = [] {
        BOOL answer = FALSE;
        return sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &answer) && answer;
    }();
    return wow64;
}

} // namespace

std::wstring win32::NativePath(const std::wstring& path) {
    if (!RunsUnderWow64()) {
        return path;
    }
    // \\?\C:\... is taken as written, without the system's parsing, and redirected all the same.
    const bool extended = path.starts_with(L"\\\\?\\") && path.size() > 5 && path[5] == L':';
    const std::wstring full = extended ? path.substr(4) : FullPath(path);
    // GetSystemDirectoryW names System32 to a 32-bit process too, in its long form.
    const std::wstring system = SystemDirectory();
    for (const std::wstring& folder : {system, ShortPathAsReached(system).value_or(system)}) {
        if (full.size() >= folder.size() &&
            SameIgnoringCase(std::wstring_view(full).substr(0, folder.size()), folder) &&
            (full.size() == folder.size() || full[folder.size()] == L'\\')) {
            return (extended ? L"\\\\?\\" : L"") + WindowsDirectory() + L"\\Sysnative" +
                   full.substr(folder.size());
        }
    }
    return path;
}

std::span<const RegistryView> RegistryViews() {
    static constexpr RegistryView views[] = {RegistryView::Bits32, RegistryView::Bits64};
    return {views, sizeof(void*) == 8 || RunsUnderWow64() ? 2u : 1u};
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(win32::NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring FullPath(const std::wstring& path) {
    try {
        return win32::TextFromGrowingBuffer(
            L"GetFullPathNameW", [&](wchar_t* buffer, unsigned long size) {
                return static_cast<unsigned long>(
                    GetFullPathNameW(path.c_str(), size, buffer, nullptr));
            });
    } catch (const SystemError&) {
        return {};
    }
}

namespace {

// A file's identity: its volume's serial number and its index on that volume.
std::optional<std::array<DWORD, 3>> FileIdentity(const std::wstring& path) {
    // No access asked and every sharing allowed: this only asks the file system which file it is.
    const win32::FileOwner file(CreateFileW(
        win32::NativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || !GetFileInformationByHandle(file.get(), &information)) {
        return std::nullopt;
    }
    return std::array<DWORD, 3>{information.dwVolumeSerialNumber, information.nFileIndexHigh,
                                information.nFileIndexLow};
}

} // namespace

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const auto identity = FileIdentity(a);
    return identity.has_value() && identity == FileIdentity(b);
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() <= INT_MAX && b.size() <= INT_MAX &&
           CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A variable that is not set, or set to nothing, answers 0 with no error or ERROR_ENVVAR_NOT_FOUND,
// which the buffer helper takes for an empty text.
std::wstring EnvironmentVariable(const std::wstring& name) {
    return win32::TextFromGrowingBuffer(
        L"GetEnvironmentVariableW", [&](wchar_t* buffer, unsigned long size) {
            return static_cast<unsigned long>(GetEnvironmentVariableW(name.c_str(), buffer, size));
        });
}

std::size_t MaxPath() {
    return MAX_PATH;
}

std::uint32_t ProcessId() {
    return GetCurrentProcessId();
}

std::uint64_t Microseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<std::uint64_t>(counter.QuadPart / frequency.QuadPart * 1000000 +
                                      counter.QuadPart % frequency.QuadPart * 1000000 /
                                          frequency.QuadPart);
}

LocalTime Now() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return {time.wYear,   time.wMonth,  time.wDay,         time.wHour,
            time.wMinute, time.wSecond, time.wMilliseconds};
}

void AppendToFile(const std::wstring& path, std::string_view bytes) {
    const win32::FileOwner file(CreateFileW(win32::NativePath(path).c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw win32::LastSystemError(L"CreateFileW");
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        throw SystemError(L"GetFileType", ERROR_INVALID_FUNCTION, L"Not a file on a disk.");
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        throw win32::LastSystemError(L"WriteFile");
    }
}

std::wstring SystemDirectory() {
    return win32::TextFromGrowingBuffer(
        L"GetSystemDirectoryW", [](wchar_t* buffer, unsigned long size) {
            return static_cast<unsigned long>(GetSystemDirectoryW(buffer, size));
        });
}

std::wstring WindowsDirectory() {
    return win32::TextFromGrowingBuffer(
        L"GetSystemWindowsDirectoryW", [](wchar_t* buffer, unsigned long size) {
            return static_cast<unsigned long>(GetSystemWindowsDirectoryW(buffer, size));
        });
}

RegistryAnswer ReadRegistryValue(RootKey rootKey, const std::wstring& keyPath,
                                 const std::wstring& valueName, RegistryView view) {
    using Outcome = RegistryAnswer::Outcome;
    const RegistryFunctions& registry = Registry();
    if (registry.open == nullptr) {
        return {Outcome::NoKey, ERROR_PROC_NOT_FOUND, 0, {}};
    }
    // Read access is all that is needed; asking for more is refused to ordinary users under
    // HKEY_LOCAL_MACHINE.
    const REGSAM access = KEY_QUERY_VALUE | ToViewAccess(view);
    HKEY opened = nullptr;
    const LONG status = registry.open(ToHkey(rootKey), keyPath.c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) {
        return {Outcome::NoKey, static_cast<std::uint32_t>(status), 0, {}};
    }
    const win32::KeyOwner key(opened, registry.close);
    return win32::ReadGrowingValue(
        [&](unsigned long* type, unsigned char* data, unsigned long* size) {
            return registry.query(key.get(), valueName.c_str(), nullptr, type, data, size);
        });
}

namespace {

// Sets the standard handles aside for as long as it lives. A program started without inheriting
// handles is still handed copies of its starter's standard handles by Windows when it is a
// console program, and by Wine in any case; a caller that reads Pelorin's redirected output to
// its end would then wait for the application to end.
class StandardHandlesSetAside {
public:
    StandardHandlesSetAside() {
        for (std::size_t i = 0; i < Streams.size(); ++i) {
            saved_[i] = GetStdHandle(Streams[i]);
            SetStdHandle(Streams[i], nullptr);
        }
    }
    ~StandardHandlesSetAside() {
        for (std::size_t i = 0; i < Streams.size(); ++i) {
            SetStdHandle(Streams[i], saved_[i]);
        }
    }
    StandardHandlesSetAside(const StandardHandlesSetAside&) = delete;
    StandardHandlesSetAside& operator=(const StandardHandlesSetAside&) = delete;

private:
    static constexpr std::array<DWORD, 3> Streams = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
                                                     STD_ERROR_HANDLE};
    std::array<HANDLE, 3> saved_{};
};

} // namespace

std::uint32_t LaunchProcess(const std::wstring& applicationPath, const std::wstring& commandLine,
                            ShowState showState) {
    const std::wstring program = win32::NativePath(applicationPath);
    std::wstring writableCommandLine = commandLine; // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ToShowWindow(showState);
    PROCESS_INFORMATION process{};
    // The environment and the current directory are inherited: a data file named on the command
    // line is often relative to the directory the user opened it from.
    const StandardHandlesSetAside noStandardHandles;
    if (!CreateProcessW(program.empty() ? nullptr : program.c_str(), writableCommandLine.data(),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        throw win32::LastSystemError(L"CreateProcessW");
    }
    const HandleOwner processHandle(process.hProcess);
    const HandleOwner threadHandle(process.hThread);
    return process.dwProcessId;
}

namespace {

// How long a run waits, once the report has been answered, for its copy on standard error, or
// for its text on standard output.
constexpr DWORD StandardStreamGraceMs = 1000;

struct StandardStreamCopy {
    HANDLE target;
    std::wstring text;
};

DWORD WINAPI WriteStandardStreamCopy(void* parameter) {
    const std::unique_ptr<StandardStreamCopy> copy(static_cast<StandardStreamCopy*>(parameter));
    const std::wstring& text = copy->text;
    DWORD mode = 0;
    DWORD written = 0;
    bool whole = false;
    if (GetConsoleMode(copy->target, &mode)) {
        whole = WriteConsoleW(copy->target, text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr) &&
                written == text.size();
    } else {
        const std::string utf8 = WideToUtf8(text);
        whole = WriteFile(copy->target, utf8.data(), static_cast<DWORD>(utf8.size()), &written,
                          nullptr) &&
                written == utf8.size();
    }
    return whole ? 0 : 1;
}

// Installers and scripts that redirect standard error or output get the text there. A thread of
// its own writes it: a caller that reads its pipe only after the program has ended would otherwise
// hold the write, and the run, for ever. Gives the thread, or none when there is nothing to write
// to.
HandleOwner CopyToStandardStream(DWORD stream, const std::wstring& text) {
    const HANDLE target = GetStdHandle(stream);
    if (target == nullptr || target == INVALID_HANDLE_VALUE ||
        GetFileType(target) == FILE_TYPE_UNKNOWN) {
        return HandleOwner();
    }
    auto copy = std::make_unique<StandardStreamCopy>(StandardStreamCopy{target, text});
    HandleOwner writer(CreateThread(nullptr, 0, WriteStandardStreamCopy, copy.get(), 0, nullptr));
    if (writer) {
        copy.release(); // the thread's now; a write still blocked at the end dies with the process
    }
    return writer;
}

} // namespace

bool WindowsCanBeSeen() noexcept {
    USEROBJECTFLAGS flags{};
    return !GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                      nullptr) ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool WriteStandardOutput(const std::wstring& text) {
    const HandleOwner copy = CopyToStandardStream(STD_OUTPUT_HANDLE, text);
    DWORD status = 1; // the copying thread's: 0 when it wrote the whole text
    return copy && WaitForSingleObject(copy.get(), StandardStreamGraceMs) == WAIT_OBJECT_0 &&
           GetExitCodeThread(copy.get(), &status) && status == 0;
}

void ReportFailure(const std::wstring& caption, const std::wstring& report, bool inWindow) {
    const HandleOwner copy =
        CopyToStandardStream(STD_ERROR_HANDLE, caption + L": " + report + L"\r\n");
    if (inWindow) {
        MessageBoxW(nullptr, report.c_str(), caption.c_str(),
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }
    if (copy) {
        WaitForSingleObject(copy.get(), StandardStreamGraceMs);
    }
}

} // namespace platform
