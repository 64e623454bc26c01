// An in-memory machine behind the platform interface, for the host tests: files, an environment,
// a registry with a 32-bit and a 64-bit view, and what the run started, showed and reported.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace memory_platform {

// Registry types by the numbers Windows stores, as winnt.h defines them.
enum RegistryType : std::uint32_t {
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegMultiSz = 7,
};

struct RegistryValue {
    std::uint32_t type = RegSz;
    std::string data; // the bytes as stored
};

// Text as the registry stores it: UTF-16, little-endian, without a terminator unless the text ends
// in one.
std::string Utf16Bytes(const std::wstring& text);

// Values by name, in one key.
using RegistryKeyValues = std::map<std::wstring, RegistryValue>;

struct Machine {
    std::wstring commandLine;
    std::wstring executablePath = L"C:\\Program Files\\Virelt\\Pelorin.exe";
    std::map<std::wstring, std::string> files;
    std::size_t bytesRead = 0; // of all files, by all reads
    // The characters of the paths and names handed to FullPath, SameFile and SameIgnoringCase.
    std::size_t pathCharactersExamined = 0;
    std::map<std::wstring, std::wstring> environment;
    // The ANSI code page: the characters it lacks, each with the look-alike a program that reads
    // it gets instead; and the short names the file system keeps, by path.
    std::uint32_t ansiCodePage = 1252;
    std::map<wchar_t, wchar_t> ansiLacks;
    std::map<std::wstring, std::wstring> shortPaths;
    // Paths that are not whole, each with the whole path Windows makes of it; and other names of a
    // file (a short name, a link), each with the name it is another of.
    std::map<std::wstring, std::wstring> fullPaths;
    std::map<std::wstring, std::wstring> otherNames;
    std::wstring systemDirectory = L"C:\\Windows\\system32";
    std::wstring windowsDirectory = L"C:\\Windows";

    // Keys of HKEY_LOCAL_MACHINE by path (compared without regard to case), per view.
    std::map<std::wstring, RegistryKeyValues> registry32;
    std::map<std::wstring, RegistryKeyValues> registry64;
    // False: a 32-bit Windows, whose one view is registry32, whichever view is asked.
    bool twoRegistryViews = true;

    // The system call that fails, with access denied: GetModuleFileNameW (ExecutablePath),
    // CreateProcessW (LaunchProcess), CreateWindowExW (ShowModalForm) or WriteFile
    // (AppendToFile).
    std::wstring failingCall;
    std::wstring failingText = L"Access is denied.";

    struct Started {
        std::wstring program;
        std::wstring commandLine;
    };
    std::vector<Started> started;

    // How the user answers a shown form: 0 closes it with its close box, any other number clicks
    // the control of that id.
    int formAnswer = 0;
    struct ShownForm {
        platform::FormDescription description;
        std::map<int, std::wstring> texts; // control texts when the user answered
        bool unloaded = false;             // false: the answer left the form open
    };
    std::vector<ShownForm> shownForms;
    std::vector<std::wstring> reports;
    int reportsInWindow = 0;

    // False: the run is on a window station nobody sees. What it writes to standard output.
    bool windowsCanBeSeen = true;
    std::wstring standardOutput;
    bool standardOutputTakes = true; // false: the text was not taken within the wait
};

// The machine the platform functions act on; Reset gives a fresh one.
Machine& TheMachine();
void Reset();

} // namespace memory_platform
