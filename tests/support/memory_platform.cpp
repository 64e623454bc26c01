#include "tests/support/memory_platform.h"

#include <algorithm>

namespace memory_platform {
namespace {

// The system's codes that the machine answers with.
constexpr std::uint32_t ErrorFileNotFound = 2;
constexpr std::uint32_t ErrorAccessDenied = 5;

bool SameKeyPath(const std::wstring& a, const std::wstring& b) {
    const auto lower = [](wchar_t c) { return c < 0x80 ? std::tolower(c) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

void FailIfAsked(const wchar_t* call) {
    if (TheMachine().failingCall == call) {
        throw platform::SystemError(call, ErrorAccessDenied, TheMachine().failingText);
    }
}

class MemoryForm : public platform::ModalForm {
public:
    std::wstring ControlText(int controlId) const override {
        const auto text = texts.find(controlId);
        return text == texts.end() ? std::wstring() : text->second;
    }
    void SetControlText(int controlId, const std::wstring& text) override {
        texts[controlId] = text;
    }
    void Unload() override { unloaded = true; }

    std::map<int, std::wstring> texts;
    bool unloaded = false;
};

} // namespace

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

void Reset() {
    TheMachine() = Machine();
}

std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (const wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8 & 0xFF);
    }
    return bytes;
}

} // namespace memory_platform

namespace platform {

using memory_platform::TheMachine;

std::wstring CommandLine() {
    return TheMachine().commandLine;
}

std::wstring ExecutablePath() {
    memory_platform::FailIfAsked(L"GetModuleFileNameW");
    return TheMachine().executablePath;
}

std::string ReadFileStart(const std::wstring& path, std::size_t maxBytes) {
    const auto file = TheMachine().files.find(path);
    if (file == TheMachine().files.end()) {
        throw SystemError(L"CreateFileW", memory_platform::ErrorFileNotFound,
                          L"The system cannot find the file specified.");
    }
    std::string bytes = file->second.substr(0, maxBytes);
    TheMachine().bytesRead += bytes.size();
    return bytes;
}

// The in-memory machine's ANSI code page is Latin-1: one byte per character.
std::wstring AnsiToWide(std::string_view bytes) {
    std::wstring text;
    for (const unsigned char byte : bytes) {
        text.push_back(static_cast<wchar_t>(byte));
    }
    return text;
}

// The machine's UTF-8: a byte that begins no whole sequence becomes U+FFFD. Its wide characters
// are 32 bits, so a character outside the basic plane is one of them.
std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80    ? 1
                           : lead >= 0xF0 ? 4
                           : lead >= 0xE0 ? 3
                           : lead >= 0xC0 ? 2
                                          : 0;
        auto point = static_cast<std::uint32_t>(length <= 1 ? lead : lead & (0x7F >> length));
        int taken = 1;
        for (; taken < length && i + taken < bytes.size() && (bytes[i + taken] & 0xC0) == 0x80;
             ++taken) {
            point = point << 6 | (bytes[i + taken] & 0x3F);
        }
        text.push_back(length != 0 && taken == length ? static_cast<wchar_t>(point) : L'\uFFFD');
        i += static_cast<std::size_t>(taken);
    }
    return text;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string bytes;
    for (const wchar_t c : text) {
        const auto point = static_cast<std::uint32_t>(c);
        const int length = point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
        bytes += static_cast<char>(
            length == 1 ? point : (0xF00 >> length & 0xFF) | point >> (6 * (length - 1)));
        for (int k = length - 2; k >= 0; --k) {
            bytes += static_cast<char>(0x80 | (point >> (6 * k) & 0x3F));
        }
    }
    return bytes;
}

std::wstring AsAnsiProgramReadsIt(std::wstring_view text) {
    std::wstring read(text);
    for (wchar_t& c : read) {
        if (const auto lookAlike = TheMachine().ansiLacks.find(c);
            lookAlike != TheMachine().ansiLacks.end()) {
            c = lookAlike->second;
        }
    }
    return read;
}

std::uint32_t AnsiCodePage() {
    return TheMachine().ansiCodePage;
}

// A file without a short name of its own keeps its name; a folder is there when it has one.
std::optional<std::wstring> ShortPath(const std::wstring& path) {
    if (const auto shortPath = TheMachine().shortPaths.find(path);
        shortPath != TheMachine().shortPaths.end()) {
        return shortPath->second;
    }
    return FileExists(path) ? std::optional(path) : std::nullopt;
}

bool FileExists(const std::wstring& path) {
    return TheMachine().files.count(path) != 0;
}

std::wstring FullPath(const std::wstring& path) {
    TheMachine().pathCharactersExamined += path.size();
    const auto full = TheMachine().fullPaths.find(path);
    return full == TheMachine().fullPaths.end() ? path : full->second;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const auto other = TheMachine().otherNames.find(a);
    return SameIgnoringCase(other == TheMachine().otherNames.end() ? a : other->second, b);
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    TheMachine().pathCharactersExamined += a.size() + b.size();
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

std::wstring EnvironmentVariable(const std::wstring& name) {
    const auto value = TheMachine().environment.find(name);
    return value == TheMachine().environment.end() ? std::wstring() : value->second;
}

std::size_t MaxPath() {
    return 260; // MAX_PATH
}

std::uint32_t ProcessId() {
    return 4241;
}

std::uint64_t Microseconds() {
    static std::uint64_t now = 0;
    return now += 250;
}

LocalTime Now() {
    return {2026, 1, 7, 9, 5, 3, 42}; // a month of one digit
}

void AppendToFile(const std::wstring& path, std::string_view bytes) {
    memory_platform::FailIfAsked(L"WriteFile");
    TheMachine().files[path] += bytes;
}

std::span<const RegistryView> RegistryViews() {
    static constexpr RegistryView views[] = {RegistryView::Bits32, RegistryView::Bits64};
    return {views, TheMachine().twoRegistryViews ? 2u : 1u};
}

std::wstring SystemDirectory() {
    return TheMachine().systemDirectory;
}

std::wstring WindowsDirectory() {
    return TheMachine().windowsDirectory;
}

RegistryAnswer ReadRegistryValue(RootKey rootKey, const std::wstring& keyPath,
                                 const std::wstring& valueName, RegistryView view) {
    using memory_platform::ErrorFileNotFound;
    using Outcome = RegistryAnswer::Outcome;
    const auto& keys = [&]() -> const auto& {
        switch (view) {
        case RegistryView::Bits32:
            break;
        case RegistryView::Bits64: // on a 32-bit Windows, its one view
            return TheMachine().twoRegistryViews ? TheMachine().registry64
                                                 : TheMachine().registry32;
        }
        return TheMachine().registry32;
    }
    ();
    const std::wstring path = keyPath.substr(0, keyPath.find(L'\0'));
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& entry) {
        return memory_platform::SameKeyPath(entry.first, path);
    });
    if (rootKey != RootKey::LocalMachine || key == keys.end()) {
        return {Outcome::NoKey, ErrorFileNotFound, 0, {}};
    }
    const auto value = key->second.find(valueName);
    if (value == key->second.end()) {
        return {Outcome::NoValue, ErrorFileNotFound, 0, {}};
    }
    return {Outcome::Value, 0, value->second.type, value->second.data};
}

std::uint32_t LaunchProcess(const std::wstring& applicationPath, const std::wstring& commandLine,
                            ShowState) {
    memory_platform::FailIfAsked(L"CreateProcessW");
    TheMachine().started.push_back({applicationPath, commandLine});
    return 4242;
}

void ShowModalForm(const FormDescription& description) {
    memory_platform::FailIfAsked(L"CreateWindowExW");
    memory_platform::MemoryForm form;
    if (description.load) {
        description.load(form);
    }
    if (TheMachine().formAnswer == 0) {
        form.Unload();
    } else if (description.click) {
        description.click(form, TheMachine().formAnswer);
    }
    TheMachine().shownForms.push_back({description, form.texts, form.unloaded});
}

bool WindowsCanBeSeen() noexcept {
    return TheMachine().windowsCanBeSeen;
}

bool WriteStandardOutput(const std::wstring& text) {
    TheMachine().standardOutput += text;
    return TheMachine().standardOutputTakes;
}

void ReportFailure(const std::wstring&, const std::wstring& report, bool inWindow) {
    TheMachine().reports.push_back(report);
    TheMachine().reportsInWindow += inWindow ? 1 : 0;
}

} // namespace platform
