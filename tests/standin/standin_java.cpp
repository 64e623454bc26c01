// A stand-in for the Java runtime's launchers. It writes down how it was started, into the file
// named by PELORIN_STANDIN_RECORD: its own path, its command line, its working directory, its
// start-up show state, its process id, the performance counter when it started, its ProgramFiles
// variable and its command line as an ANSI program reads it, each followed by a NUL. When
// PELORIN_STANDIN_HOLD names an event, it then keeps running until that event is set.
#include "record_fields.h"

#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), 32768);
    value.resize(length < 32768 ? length : 0);
    return value;
}

std::wstring ModulePath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), 32768));
    return path;
}

std::wstring CurrentDirectory() {
    std::wstring path(32768, L'\0');
    path.resize(GetCurrentDirectoryW(32768, path.data()));
    return path;
}

// The command line as the Java runtime's launchers read it: through GetCommandLineA, in the ANSI
// code page, shown in wide characters.
std::wstring AnsiCommandLine() {
    std::wstring text(32768, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, GetCommandLineA(), -1, text.data(), 32768);
    text.resize(length > 0 ? length - 1 : 0); // less the terminator
    return text;
}

// Decimal digits of a counter value; the C runtime's formatting of 64-bit numbers differs between
// Windows versions.
std::wstring Digits(long long value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value > 0);
    return digits;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    const std::wstring recordPath = Environment(L"PELORIN_STANDIN_RECORD");
    if (recordPath.empty()) {
        return 3;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::wstring showState = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0
                                       ? std::to_wstring(startup.wShowWindow)
                                       : std::wstring(L"none");
    std::wstring fields[standin::FieldCount];
    fields[standin::module] = ModulePath();
    fields[standin::commandLine] = GetCommandLineW();
    fields[standin::directory] = CurrentDirectory();
    fields[standin::showState] = showState;
    fields[standin::processId] = std::to_wstring(GetCurrentProcessId());
    fields[standin::startedAt] = Digits(started.QuadPart);
    fields[standin::programFiles] = Environment(L"ProgramFiles");
    fields[standin::ansiCommandLine] = AnsiCommandLine();
    std::wstring record;
    for (const std::wstring& field : fields) {
        record += field;
        record.push_back(L'\0');
    }
    // Written beside the record and then renamed, so a reader never sees half of it.
    const std::wstring partial = recordPath + L".partial";
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 4;
    }
    DWORD written = 0;
    WriteFile(file, record.data(), static_cast<DWORD>(record.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), recordPath.c_str(), MOVEFILE_REPLACE_EXISTING);

    const std::wstring hold = Environment(L"PELORIN_STANDIN_HOLD");
    if (!hold.empty()) {
        if (const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, hold.c_str())) {
            WaitForSingleObject(event, 30000);
            CloseHandle(event);
        }
    }
    return 0;
}
