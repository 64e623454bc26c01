#include "tests/support/memory_platform.h"

#include <algorithm>

namespace memory_platform {
namespace {

constexpr std::uint32_t HklmRoot = 0x80000002;
constexpr long ErrorFileNotFound = 2;
constexpr long ErrorAccessDenied = 5;
constexpr long ErrorInvalidHandle = 6;
constexpr long ErrorMoreData = 234;
constexpr std::uint32_t KeyQueryValue = 0x0001;
constexpr std::uint32_t KeyWow64Bits64 = 0x0100;
constexpr std::uint32_t KeyWow64Bits32 = 0x0200;

// Open keys by handle; the handle is the key's index plus one.
std::vector<const RegistryKeyValues*> openedKeys;

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
    openedKeys.clear();
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

std::string ReadFileStart(const std::wstring& path,
                          const std::function<bool(std::string_view bytesSoFar)>& wantsMore) {
    const auto file = TheMachine().files.find(path);
    if (file == TheMachine().files.end()) {
        throw SystemError(L"CreateFileW", 2, L"The system cannot find the file specified.");
    }
    std::string bytes;
    do {
        bytes += file->second.substr(bytes.size(), 4096);
    } while (bytes.size() < file->second.size() && wantsMore(bytes));
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

bool FileExists(const std::wstring& path) {
    return TheMachine().files.count(path) != 0;
}

// Paths in the host tests are whole already.
std::wstring FullPath(const std::wstring& path) {
    return path;
}

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](wchar_t x, wchar_t y) { return upper(x) == upper(y); });
}

std::wstring EnvironmentVariable(const std::wstring& name) {
    const auto value = TheMachine().environment.find(name);
    return value == TheMachine().environment.end() ? std::wstring() : value->second;
}

std::uint32_t ProcessId() {
    return 4241;
}

std::uint64_t Microseconds() {
    static std::uint64_t now = 0;
    return now += 250;
}

LocalTime Now() {
    return {2026, 12, 7, 9, 5, 3, 42};
}

void AppendToFile(const std::wstring& path, std::string_view bytes) {
    memory_platform::FailIfAsked(L"WriteFile");
    TheMachine().files[path] += bytes;
}

std::wstring SystemDirectory() {
    return TheMachine().systemDirectory;
}

std::wstring WindowsDirectory() {
    return TheMachine().windowsDirectory;
}

long RegistryOpenKey(std::uint32_t rootKey, const std::wstring& keyPath,
                     std::uint32_t desiredAccess, RegistryKey& key) {
    using namespace memory_platform;
    key = 0;
    if (rootKey != HklmRoot) {
        return ErrorInvalidHandle;
    }
    if ((desiredAccess & ~(KeyWow64Bits32 | KeyWow64Bits64 | KeyQueryValue)) != 0) {
        return ErrorAccessDenied;
    }
    const auto& view =
        (desiredAccess & KeyWow64Bits32) != 0 ? TheMachine().registry32 : TheMachine().registry64;
    const auto found = std::find_if(view.begin(), view.end(), [&](const auto& entry) {
        return SameKeyPath(entry.first, keyPath);
    });
    if (found == view.end()) {
        return ErrorFileNotFound;
    }
    openedKeys.push_back(&found->second);
    key = openedKeys.size();
    ++TheMachine().openKeys;
    return 0;
}

long RegistryQueryValue(RegistryKey key, const std::wstring& valueName, std::uint32_t& type,
                        wchar_t* data, std::uint32_t& size) {
    using namespace memory_platform;
    if (key == 0 || key > openedKeys.size() || openedKeys[key - 1] == nullptr) {
        return ErrorInvalidHandle;
    }
    if (TheMachine().queryOverride) {
        return TheMachine().queryOverride(valueName, type, data, size);
    }
    const auto value = openedKeys[key - 1]->find(valueName);
    if (value == openedKeys[key - 1]->end()) {
        return ErrorFileNotFound;
    }
    type = value->second.type;
    const auto stored = static_cast<std::uint32_t>(value->second.data.size() * sizeof(wchar_t));
    const bool fits = data == nullptr || size >= stored;
    if (data != nullptr && fits) {
        std::copy(value->second.data.begin(), value->second.data.end(), data);
    }
    size = stored;
    return fits ? 0 : ErrorMoreData;
}

void RegistryCloseKey(RegistryKey key) {
    using namespace memory_platform;
    if (key != 0 && key <= openedKeys.size() && openedKeys[key - 1] != nullptr) {
        openedKeys[key - 1] = nullptr;
        --TheMachine().openKeys;
    }
}

std::uint32_t LaunchProcess(const std::wstring& applicationPath, const std::wstring& commandLine,
                            int showState) {
    memory_platform::FailIfAsked(L"CreateProcessW");
    TheMachine().started.push_back({applicationPath, commandLine, showState});
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

bool WindowsCanBeSeen() {
    return TheMachine().windowsCanBeSeen;
}

void WriteStandardOutput(const std::wstring& text) {
    TheMachine().standardOutput += text;
}

void ReportFailure(const std::wstring&, const std::wstring& report, bool inWindow) {
    TheMachine().reports.push_back(report);
    TheMachine().reportsInWindow += inWindow ? 1 : 0;
}

} // namespace platform
