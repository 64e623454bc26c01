// Finding java.exe for the fallback launch without looking in the current directory, where a
// data file the user opened may have brought a java.exe of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The folders Windows searches for a program named without a folder, in its order, less the
// current directory: the starting program's folder, the system folder, the 16-bit system folder,
// the Windows folder, then each absolute folder of PATH (relative ones would name the current
// directory again).
std::vector<std::wstring> ProgramSearchFolders(const std::wstring& executableDir,
                                               const std::wstring& systemDir,
                                               const std::wstring& windowsDir,
                                               const std::wstring& pathVariable);

// The full path of the file of that name in the folder, when there is one on this machine.
std::optional<std::wstring> ProgramInFolder(const std::wstring& folder,
                                            const std::wstring& fileName);

// Whether a run of text at the start of a command line names the program at programPath, as
// Windows finds the program: the run, with ".exe" added when its file name has no extension, is
// the same file however spelled: letter case, a trailing dot, a folder's short name, the \\?\ form.
// A run whose file name is another, or that is longer than the path by more than MAX_PATH
// characters, is told apart without a system call.
bool NamesProgram(std::wstring_view run, const std::wstring& programPath);
