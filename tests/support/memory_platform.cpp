#include "tests/support/memory_platform.h"

#include "registry/registry.h"

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

// The machine's UTF-8 conversion: a byte that begins no valid sequence, and a lone surrogate,
// become U+FFFD.
constexpr wchar_t Replacement = L'\uFFFD';

// How many bytes a UTF-8 sequence that begins with this byte holds, and the bits it brings; 0
// for a byte that can't begin one.
int SequenceLength(unsigned char lead) {
    return lead < 0x80   ? 1
           : lead < 0xC2 ? 0
           : lead < 0xE0 ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF5 ? 4
                         : 0;
}

void AppendCodePoint(std::wstring& text, std::uint32_t point) {
    if (point >= 0x10000 && sizeof(wchar_t) == 2) {
        point -= 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (point & 0x3FF)));
    } else {
        text.push_back(static_cast<wchar_t>(point));
    }
}

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

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = memory_platform::SequenceLength(lead);
        std::uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        int taken = length == 0 ? 0 : 1;
        for (; taken < length && i + taken < bytes.size(); ++taken) {
            const auto next = static_cast<unsigned char>(bytes[i + taken]);
            if ((next & 0xC0) != 0x80) {
                break;
            }
            point = (point << 6) | (next & 0x3Fu);
        }
        const bool whole = length != 0 && taken == length;
        // Overlong forms, surrogates and points past U+10FFFF are no characters.
        const bool valid = whole && !(length == 3 && point < 0x800) &&
                           !(length == 4 && (point < 0x10000 || point > 0x10FFFF)) &&
                           !(point >= 0xD800 && point <= 0xDFFF);
        if (valid) {
            memory_platform::AppendCodePoint(text, point);
        } else {
            text.push_back(memory_platform::Replacement);
        }
        i += static_cast<std::size_t>(valid ? length : std::max(taken, 1));
    }
    return text;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto point = static_cast<std::uint32_t>(text[i]);
        const bool high = point >= 0xD800 && point <= 0xDBFF;
        const bool pairs =
            high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairs) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if ((point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
            point = memory_platform::Replacement;
        }
        const auto put = [&](std::uint32_t byte) { bytes.push_back(static_cast<char>(byte)); };
        if (point < 0x80) {
            put(point);
        } else if (point < 0x800) {
            put(0xC0 | point >> 6);
            put(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            put(0xE0 | point >> 12);
            put(0x80 | (point >> 6 & 0x3F));
            put(0x80 | (point & 0x3F));
        } else {
            put(0xF0 | point >> 18);
            put(0x80 | (point >> 12 & 0x3F));
            put(0x80 | (point >> 6 & 0x3F));
            put(0x80 | (point & 0x3F));
        }
    }
    return bytes;
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

RegistryAnswer ReadRegistryValue(std::uint32_t rootKey, const std::wstring& keyPath,
                                 const std::wstring& valueName, RegistryView view) {
    using memory_platform::ErrorFileNotFound;
    using Outcome = RegistryAnswer::Outcome;
    const auto& keys =
        view == RegistryView::Bits32 ? TheMachine().registry32 : TheMachine().registry64;
    const std::wstring path = keyPath.substr(0, keyPath.find(L'\0'));
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const auto& entry) {
        return memory_platform::SameKeyPath(entry.first, path);
    });
    if (rootKey != modRegAccess::HKEY_LOCAL_MACHINE_ROOT || key == keys.end()) {
        return {Outcome::NoKey, ErrorFileNotFound, {}, {}};
    }
    const auto value = key->second.find(valueName);
    if (value == key->second.end()) {
        return {Outcome::NoValue, ErrorFileNotFound, {}, {}};
    }
    return {Outcome::Value, 0, value->second.typeName, value->second.data};
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
