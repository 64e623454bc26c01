#include "platform/memory/memory_platform.h"

#include <algorithm>

namespace memory_platform {
namespace {

constexpr std::uint32_t HklmRoot = 0x80000002;
constexpr long ErrorSuccess = 0;
constexpr long ErrorFileNotFound = 2;
constexpr long ErrorAccessDenied = 5;
constexpr long ErrorInvalidHandle = 6;
constexpr long ErrorMoreData = 234;
constexpr std::uint32_t KeyQueryValue = 0x0001;
constexpr std::uint32_t KeyWow64Bits64 = 0x0100;
constexpr std::uint32_t KeyWow64Bits32 = 0x0200;

struct OpenKey {
    const RegistryKeyValues* values;
};

std::map<platform::RegistryKey, OpenKey> openKeys;
platform::RegistryKey nextKey = 0x1000;

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return c < 0x80 ? static_cast<wchar_t>(std::tolower(c)) : c; });
    return text;
}

const RegistryKeyValues* FindKey(const std::map<std::wstring, RegistryKeyValues>& view,
                                 const std::wstring& path) {
    for (const auto& [keyPath, values] : view) {
        if (Lower(keyPath) == Lower(path)) {
            return &values;
        }
    }
    return nullptr;
}

} // namespace

void FailIfAsked(const wchar_t* call) {
    if (TheMachine().failingCall == call) {
        throw platform::SystemError(call, 5, L"Access is denied.");
    }
}

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

void Reset() {
    TheMachine() = Machine();
    openKeys.clear();
}

} // namespace memory_platform

namespace platform {

using memory_platform::TheMachine;

std::wstring CommandLine() {
    TheMachine().events.push_back(L"CommandLine");
    return TheMachine().commandLine;
}

std::wstring ExecutablePath() {
    TheMachine().events.push_back(L"ExecutablePath");
    memory_platform::FailIfAsked(L"GetModuleFileNameW");
    return TheMachine().executablePath;
}

std::string ReadFileStart(const std::wstring& path,
                          const std::function<bool(std::string_view bytesSoFar)>& wantsMore) {
    TheMachine().events.push_back(L"ReadFile " + path);
    const auto file = TheMachine().files.find(path);
    if (file == TheMachine().files.end()) {
        throw platform::SystemError(L"CreateFileW", 2,
                                    L"The system cannot find the file specified.");
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
    TheMachine().events.push_back(L"FileExists " + path);
    return TheMachine().files.count(path) != 0;
}

std::wstring EnvironmentVariable(const std::wstring& name) {
    const auto value = TheMachine().environment.find(name);
    return value == TheMachine().environment.end() ? std::wstring() : value->second;
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
    Machine& machine = TheMachine();
    const bool view32 = (desiredAccess & KeyWow64Bits32) != 0;
    machine.events.push_back(std::wstring(L"RegistryOpenKey ") + (view32 ? L"32 " : L"64 ") +
                             keyPath);
    key = 0;
    if (rootKey != HklmRoot) {
        return ErrorInvalidHandle;
    }
    const std::uint32_t rights = desiredAccess & ~(KeyWow64Bits32 | KeyWow64Bits64);
    if (machine.ordinaryUser && (rights & ~KeyQueryValue) != 0) {
        return ErrorAccessDenied;
    }
    const auto* values = FindKey(view32 ? machine.registry32 : machine.registry64, keyPath);
    if (values == nullptr) {
        return ErrorFileNotFound;
    }
    key = nextKey++;
    openKeys[key] = OpenKey{values};
    ++machine.openKeys;
    return ErrorSuccess;
}

long RegistryQueryValue(RegistryKey key, const std::wstring& valueName, std::uint32_t& type,
                        wchar_t* data, std::uint32_t& size) {
    using namespace memory_platform;
    Machine& machine = TheMachine();
    machine.events.push_back(std::wstring(L"RegistryQueryValue ") +
                             (data == nullptr ? L"size " : L"data ") + valueName);
    const auto open = openKeys.find(key);
    if (open == openKeys.end()) {
        return ErrorInvalidHandle;
    }
    if (machine.queryOverride) {
        return machine.queryOverride(valueName, type, data, size);
    }
    const auto value = open->second.values->find(valueName);
    if (value == open->second.values->end()) {
        return ErrorFileNotFound;
    }
    type = value->second.type;
    const auto stored = static_cast<std::uint32_t>(value->second.data.size() * sizeof(wchar_t));
    if (data != nullptr && size < stored) {
        size = stored;
        return ErrorMoreData;
    }
    if (data != nullptr) {
        std::copy(value->second.data.begin(), value->second.data.end(), data);
    }
    size = stored;
    return ErrorSuccess;
}

void RegistryCloseKey(RegistryKey key) {
    using namespace memory_platform;
    TheMachine().events.push_back(L"RegistryCloseKey");
    if (openKeys.erase(key) != 0) {
        --TheMachine().openKeys;
    }
}

std::uint32_t LaunchProcess(const std::wstring& applicationPath, const std::wstring& commandLine,
                            int showState) {
    memory_platform::Machine& machine = TheMachine();
    machine.events.push_back(L"LaunchProcess " + commandLine);
    if (machine.launchError != 0) {
        throw platform::SystemError(L"CreateProcessW", machine.launchError,
                                    L"The system cannot find the file specified.");
    }
    machine.launches.push_back(commandLine);
    machine.launchApplications.push_back(applicationPath);
    machine.launchShowStates.push_back(showState);
    return 4242;
}

namespace {

class MemoryForm : public ModalForm {
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

void ShowModalForm(const FormDescription& description) {
    memory_platform::Machine& machine = TheMachine();
    machine.events.push_back(L"ShowModalForm " + description.caption);
    memory_platform::FailIfAsked(L"CreateWindowExW");
    MemoryForm form;
    if (description.load) {
        description.load(form);
    }
    if (machine.formAnswer == 0) {
        form.Unload();
    } else if (description.click) {
        description.click(form, machine.formAnswer);
    }
    machine.shownForms.push_back({description, form.texts, form.unloaded});
}

void ReportFailure(const std::wstring& report) {
    TheMachine().events.push_back(L"ReportFailure");
    TheMachine().reports.push_back(report);
}

} // namespace platform
