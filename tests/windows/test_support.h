// Helpers for the tests that run the real Pelorin.exe under Windows (or Wine).
#pragma once

#include <windows.h>

#include "tests/standin/standin_record.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test {

// The directory of the running test program, where the build puts Pelorin.exe and the stand-in.
std::filesystem::path BuildDirectory();

// The Pelorin.exe that the release checks look at: the one PELORIN_EXE_UNDER_TEST names when it is
// set, as scripts/release sets it for each exe it ships; otherwise this build's.
std::filesystem::path ExeUnderTest();

// UTF-8, so that test messages show any text whole.
std::string Utf8(const std::wstring& text);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Waits up to timeoutMs for the stand-in Java runtime's record to appear.
std::optional<standin::Record> WaitForRecord(const std::filesystem::path& path, DWORD timeoutMs);

struct RunResult {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<std::wstring> messageBoxes; // text of each message box, in order shown
    std::string standardError;              // what the program wrote to standard error
    std::string standardOutput;             // and to standard output
    bool standardErrorHeld = false;         // a process still holds the pipe once it has ended
    ULONGLONG milliseconds = 0;             // from its start to its end
};
// Starts program with exactly this command line in directory, on desktop when one is named,
// answers each message box it shows by pressing its button, and waits for it to end. Its standard
// error and output are pipes of the given size, read once it has ended; with size 0, standard
// output's reading end is closed before the run.
RunResult RunAndAnswer(const std::filesystem::path& program, const std::wstring& commandLine,
                       const std::filesystem::path& directory, DWORD pipeBytes = 1 << 16,
                       const wchar_t* desktop = nullptr);

// Presses the button of a message box that the process shows, if it shows one, and adds its
// text to result.
void AnswerMessageBox(DWORD processId, RunResult& result);

// Types keys (xdotool's key names, separated by blanks) into the window of this title as a
// person's keyboard would: through the X server, with xdotool. Wine alone can run it from here.
void TypeKeys(const std::string& windowTitle, const std::string& keys);

// Runs program under the debugger, answering message boxes, and gives the file names (lower
// case, without folders) of every DLL it loaded.
std::vector<std::wstring> LoadedDlls(const std::filesystem::path& program,
                                     const std::wstring& commandLine,
                                     const std::filesystem::path& directory);

// A key below HKEY_LOCAL_MACHINE that the test owns, deleted from both views at the end.
class ScratchKey {
public:
    explicit ScratchKey(std::string path) : path_(std::move(path)) {}
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& path() const { return path_; }
    // Writes the value in one view: KEY_WOW64_32KEY or KEY_WOW64_64KEY.
    void Set(REGSAM view, const std::string& subKey, const std::string& name, DWORD type,
             const std::string& bytes) const;

private:
    std::string path_;
};

} // namespace test
