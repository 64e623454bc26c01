#include "launcher/program_search.h"

#include "launcher/paths.h"
#include "platform/platform.h"
#include "text/text.h"

namespace {

// The last part of a path, after its last backslash or slash.
std::wstring_view FileNameOf(std::wstring_view path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

} // namespace

std::vector<std::wstring> ProgramSearchFolders(const std::wstring& executableDir,
                                               const std::wstring& systemDir,
                                               const std::wstring& windowsDir,
                                               const std::wstring& pathVariable) {
    std::vector<std::wstring> folders = {executableDir, systemDir, windowsDir + L"\\System",
                                         windowsDir};
    std::size_t start = 0;
    while (start <= pathVariable.size()) {
        const auto end = std::min(pathVariable.find(L';', start), pathVariable.size());
        const std::wstring folder = TrimmedAndUnquoted(pathVariable.substr(start, end - start));
        if (IsAbsolutePath(folder)) {
            folders.push_back(folder);
        }
        start = end + 1;
    }
    return folders;
}

std::optional<std::wstring> ProgramInFolder(const std::wstring& folder,
                                            const std::wstring& fileName) {
    if (folder.empty()) {
        return std::nullopt;
    }
    const std::wstring path = folder.back() == L'\\' || folder.back() == L'/'
                                  ? folder + fileName
                                  : folder + L"\\" + fileName;
    return platform::FileExists(path) ? std::optional(path) : std::nullopt;
}

bool NamesProgram(std::wstring_view run, const std::wstring& programPath) {
    // Windows takes a program name of at most MAX_PATH characters from a command line, and no
    // other spelling of a path is that much longer than the path: a longer run is passed over at
    // once, so that a scan of every run of a long line costs time in proportion to the line.
    if (run.empty() || run.size() > programPath.size() + platform::MaxPath()) {
        return false;
    }
    std::wstring name(run);
    if (FileNameOf(name).find(L'.') == std::wstring_view::npos) {
        name += L".exe";
    }
    // Most runs end in another file name, and need no system call to be told apart. Windows drops
    // the dots and blanks that end a file name.
    std::wstring_view fileName = FileNameOf(name);
    fileName = fileName.substr(0, fileName.find_last_not_of(L". ") + 1);
    if (!platform::SameIgnoringCase(fileName, FileNameOf(programPath))) {
        return false;
    }
    return platform::SameIgnoringCase(platform::FullPath(name), programPath) ||
           platform::SameFile(name, programPath);
}
