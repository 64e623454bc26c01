#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

namespace test {

std::filesystem::path BuildDirectory() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), 32768));
    return std::filesystem::path(path).parent_path();
}

std::string Utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::optional<standin::Record> WaitForRecord(const std::filesystem::path& path, DWORD timeoutMs) {
    // The stand-in renames a whole record into place, but until it has closed the file that the
    // rename holds, an open for reading meets a sharing violation: read again until it is whole.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (std::filesystem::exists(path)) {
            if (auto record = standin::ReadRecord(path)) {
                return record;
            }
        }
        if (GetTickCount64() > deadline) {
            return std::nullopt;
        }
        Sleep(50);
    }
}

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::wstring(className) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct BoxContent {
    std::wstring text;
    HWND button = nullptr;
    bool icon = false;
};

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM parameter) {
    auto* content = reinterpret_cast<BoxContent*>(parameter);
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    std::wstring text(GetWindowTextLengthW(child) + 1, L'\0');
    text.resize(GetWindowTextW(child, text.data(), static_cast<int>(text.size())));
    if (std::wstring(className) == L"Button") {
        content->button = child;
    } else if (std::wstring(className) == L"Static" && text.size() > content->text.size()) {
        content->text = text;
    }
    content->icon |= std::wstring(className) == L"Static" && IsWindowVisible(child) &&
                     SendMessageW(child, STM_GETICON, 0, 0) != 0;
    return TRUE;
}

// What is waiting in the pipe now. Reading to its end could wait on a child of the program that
// was handed the same standard error.
std::string ReadAvailable(HANDLE pipe) {
    std::string bytes;
    char chunk[4096];
    DWORD available = 0;
    DWORD read = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(pipe, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    return bytes;
}

} // namespace

std::filesystem::path ExeUnderTest() {
    wchar_t path[32768];
    const DWORD length = GetEnvironmentVariableW(L"PELORIN_EXE_UNDER_TEST", path, 32768);
    return length > 0 && length < 32768 ? std::filesystem::path(path)
                                        : BuildDirectory() / "Pelorin.exe";
}

void AnswerMessageBox(DWORD processId, RunResult& result) {
    WindowSearch search{processId, nullptr};
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        return;
    }
    BoxContent content;
    EnumChildWindows(search.found, ReadBoxChild, reinterpret_cast<LPARAM>(&content));
    wchar_t caption[64] = {};
    GetWindowTextW(search.found, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Pelorin");
    EXPECT_TRUE(content.icon) << "a report carries the error icon";
    result.messageBoxes.push_back(content.text);
    if (content.button != nullptr) {
        PostMessageW(content.button, BM_CLICK, 0, 0);
    }
    // Until the box has gone, it would be found and counted again.
    for (int i = 0; i < 50 && IsWindow(search.found); ++i) {
        Sleep(100);
    }
}

void TypeKeys(const std::string& windowTitle, const std::string& keys) {
    if (keys.empty()) {
        return;
    }
    using SpawnFunction = long(__cdecl*)(char* const* argv, int wait);
    const auto spawn = reinterpret_cast<SpawnFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
    ASSERT_NE(spawn, nullptr) << "typing through the X server needs Wine";
    std::vector<std::string> words = {"xdotool",     "search", "--name", "^" + windowTitle + "$",
                                      "windowfocus", "--sync", "key",    "--delay",
                                      "50"};
    for (std::size_t start = 0, end; start < keys.size(); start = end + 1) {
        end = std::min(keys.find(' ', start), keys.size());
        words.push_back(keys.substr(start, end - start));
    }
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    EXPECT_EQ(spawn(argv.data(), 1), 0) << "xdotool could not type " << keys;
}

std::vector<std::wstring> LoadedDlls(const std::filesystem::path& program,
                                     const std::wstring& commandLine,
                                     const std::filesystem::path& directory) {
    std::vector<std::wstring> dlls;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring writable = commandLine;
    if (!CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE,
                        DEBUG_ONLY_THIS_PROCESS, nullptr, directory.c_str(), &startup, &process)) {
        ADD_FAILURE() << "could not start " << program << " under the debugger";
        return dlls;
    }
    // A debug event holds the program until it is continued, and reading its box takes messages
    // the program must answer: the box is answered on a thread of its own, or each would wait for
    // the other for ever.
    std::atomic<bool> ended{false};
    std::thread answerer([&] {
        for (RunResult answered; !ended; Sleep(100)) {
            AnswerMessageBox(process.dwProcessId, answered);
        }
    });
    const ULONGLONG deadline = GetTickCount64() + 60000;
    for (bool running = true; running && GetTickCount64() < deadline;) {
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, 100)) {
            continue;
        }
        if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile != nullptr) {
            wchar_t path[MAX_PATH * 4] = {};
            if (GetFinalPathNameByHandleW(event.u.LoadDll.hFile, path, MAX_PATH * 4, 0) > 0) {
                std::wstring name = std::filesystem::path(path).filename().wstring();
                CharLowerW(name.data());
                dlls.push_back(name);
            }
            CloseHandle(event.u.LoadDll.hFile);
        } else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT &&
                   event.u.CreateProcessInfo.hFile != nullptr) {
            CloseHandle(event.u.CreateProcessInfo.hFile);
        } else if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
            running = false;
        }
        // Exceptions, such as the C++ throw of a failure, are the program's own to handle.
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId,
                           event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT
                               ? DBG_EXCEPTION_NOT_HANDLED
                               : DBG_CONTINUE);
    }
    const bool exited = WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0;
    EXPECT_TRUE(exited) << program << " did not end under the debugger";
    if (!exited) {
        TerminateProcess(process.hProcess, 1); // which frees an answerer that waits on its box
    }
    ended = true;
    answerer.join();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return dlls;
}

RunResult RunAndAnswer(const std::filesystem::path& program, const std::wstring& commandLine,
                       const std::filesystem::path& directory, DWORD pipeBytes,
                       const wchar_t* desktop) {
    RunResult result;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE errorRead = nullptr;
    HANDLE errorWrite = nullptr;
    HANDLE outputRead = nullptr;
    HANDLE outputWrite = nullptr;
    if (!CreatePipe(&errorRead, &errorWrite, &inheritable, pipeBytes) ||
        !CreatePipe(&outputRead, &outputWrite, &inheritable, pipeBytes)) {
        ADD_FAILURE() << "CreatePipe failed";
        return result;
    }
    SetHandleInformation(errorRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    if (pipeBytes == 0) { // nobody reads standard output: every write to it fails at once
        CloseHandle(std::exchange(outputRead, nullptr));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outputWrite;
    startup.hStdError = errorWrite;
    std::wstring desktopName = desktop == nullptr ? L"" : desktop;
    startup.lpDesktop = desktop == nullptr ? nullptr : desktopName.data();
    PROCESS_INFORMATION process{};
    std::wstring writable = commandLine;
    const BOOL started = CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, directory.c_str(), &startup, &process);
    CloseHandle(errorWrite);
    CloseHandle(outputWrite);
    if (!started) {
        ADD_FAILURE() << "could not start " << program << ": error " << GetLastError();
        CloseHandle(errorRead);
        CloseHandle(outputRead);
        return result;
    }
    const ULONGLONG began = GetTickCount64();
    const ULONGLONG deadline = began + 60000;
    while (WaitForSingleObject(process.hProcess, 100) == WAIT_TIMEOUT) {
        AnswerMessageBox(process.dwProcessId, result);
        if (GetTickCount64() > deadline) {
            ADD_FAILURE() << "Pelorin.exe did not end within 60 seconds";
            TerminateProcess(process.hProcess, 99);
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    result.milliseconds = GetTickCount64() - began;
    result.standardError = ReadAvailable(errorRead);
    result.standardErrorHeld = PeekNamedPipe(errorRead, nullptr, 0, nullptr, nullptr, nullptr);
    result.standardOutput = ReadAvailable(outputRead); // nothing from a closed one
    CloseHandle(errorRead);
    CloseHandle(outputRead);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

ScratchKey::~ScratchKey() {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_ALL_ACCESS | view, &key) ==
            ERROR_SUCCESS) {
            RegDeleteTreeA(key, nullptr);
            RegCloseKey(key);
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), view, 0);
        }
    }
}

void ScratchKey::Set(REGSAM view, const std::string& subKey, const std::string& name, DWORD type,
                     const std::string& bytes) const {
    const std::string full = subKey.empty() ? path_ : path_ + "\\" + subKey;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, full.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << full;
    EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

} // namespace test
