// The Win32 platform layer in-process, against the real (or Wine's) system.
#include "test_support.h"

#include <sddl.h>

#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "registry/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// The real calls, from first buffers too small for them: cut short as Windows cuts them, the
// text comes back whole.
TEST(Win32Platform, TextFromAGrowingBufferComesBackWhole) {
    const std::wstring value(1000, L'v');
    SetEnvironmentVariableW(L"PELORIN_LONG", value.c_str());
    for (const std::size_t first : {1, 2, 7}) {
        EXPECT_EQ(std::filesystem::path(platform::win32::TextFromGrowingBuffer(
                      L"GetModuleFileNameW",
                      [](wchar_t* buffer, unsigned long size) {
                          return static_cast<unsigned long>(
                              GetModuleFileNameW(nullptr, buffer, size));
                      },
                      first)),
                  test::BuildDirectory() / "pelorin_windows_tests.exe");
        EXPECT_EQ(platform::win32::TextFromGrowingBuffer(
                      L"GetEnvironmentVariableW",
                      [](wchar_t* buffer, unsigned long size) {
                          return static_cast<unsigned long>(
                              GetEnvironmentVariableW(L"PELORIN_LONG", buffer, size));
                      },
                      first),
                  value);
    }
}

TEST(Win32Platform, AnAnswerOfZeroIsEmptyOnlyWhenTheSystemSaysNothingWentWrong) {
    const std::pair<DWORD, bool> cases[] = {
        {ERROR_SUCCESS, false}, {ERROR_ENVVAR_NOT_FOUND, false}, {ERROR_ACCESS_DENIED, true}};
    for (const auto& [code, fails] : cases) {
        try {
            EXPECT_EQ(platform::win32::TextFromGrowingBuffer(L"GetModuleFileNameW",
                                                             [&](wchar_t*, unsigned long) {
                                                                 SetLastError(code);
                                                                 return 0ul;
                                                             }),
                      L"");
            EXPECT_FALSE(fails) << code;
        } catch (const platform::SystemError& error) {
            EXPECT_TRUE(fails) << code;
            EXPECT_EQ(error.call, L"GetModuleFileNameW");
            EXPECT_EQ(error.code, code);
        }
    }
    SetLastError(ERROR_ACCESS_DENIED); // left by an earlier call: an answer of 0 is still empty
    EXPECT_EQ(
        platform::win32::TextFromGrowingBuffer(L"x", [](wchar_t*, unsigned long) { return 0ul; }),
        L"");
    SetEnvironmentVariableW(L"PELORIN_SET_TO_NOTHING", L"");
    EXPECT_EQ(platform::EnvironmentVariable(L"PELORIN_SET_TO_NOTHING"), L"");
    EXPECT_EQ(platform::EnvironmentVariable(L"PELORIN_NEVER_SET"), L"");
    SetEnvironmentVariableW(L"PELORIN_SET_TO_NOTHING", nullptr);
}

// A DLL planted beside the exe is loaded by name until the program's start-up step, never after.
TEST(Win32Platform, AfterStartUpNoDllIsLoadedFromBesideTheExe) {
    const auto planted = test::BuildDirectory() / "planted.dll";
    std::error_code ignored;
    std::filesystem::remove(planted, ignored);
    std::filesystem::copy_file(test::BuildDirectory() / "refuse_forms.dll", planted);
    const HMODULE before = LoadLibraryW(L"planted.dll");
    ASSERT_NE(before, nullptr) << "the test can't plant a DLL";
    FreeLibrary(before);
    platform::win32::LoadDllsOnlyFromTheSystemFolder();
    EXPECT_EQ(LoadLibraryW(L"planted.dll"), nullptr);
}

TEST(Win32Platform, ExecutablePathIsTheRunningProgram) {
    EXPECT_EQ(std::filesystem::path(platform::ExecutablePath()),
              test::BuildDirectory() / "pelorin_windows_tests.exe");
}

// The file system's identity of a file: the same one however spelled, another on the same volume
// is not, and paths that name nothing name no file.
TEST(Win32Platform, SameFileAsksTheFileSystemWhichFileItIs) {
    const std::wstring exe = platform::ExecutablePath();
    const std::wstring other = (test::BuildDirectory() / "standin_java.exe").wstring();
    const std::tuple<std::wstring, std::wstring, bool> cases[] = {
        {exe, exe + L".", true}, {exe, other, false}, {exe + L"1", exe + L"2", false}};
    for (const auto& [a, b, same] : cases) {
        EXPECT_EQ(platform::SameFile(a, b), same) << test::Utf8(a) << " | " << test::Utf8(b);
    }
}

TEST(Win32Platform, ReadFileStartReadsAsFarAsAskedOrGivesTheSystemError) {
    const auto path = std::filesystem::temp_directory_path() / L"pelorin-read-\u00E9.bin";
    const std::string bytes =
        std::string("first,\"second\"\r\n\0\xFF", 18) + std::string(9000, 'x');
    test::WriteBytes(path, bytes);
    EXPECT_EQ(platform::ReadFileStart(path.wstring(), 100000), bytes);
    EXPECT_EQ(platform::ReadFileStart(path.wstring(), 9017), bytes.substr(0, 9017));
    // An installer may hold it open for writing while Pelorin reads it, or to rename it.
    for (const DWORD access : {GENERIC_WRITE, GENERIC_WRITE | DELETE}) {
        const HANDLE writer = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(platform::ReadFileStart(path.wstring(), 6), "first,") << access;
        CloseHandle(writer);
    }
    EXPECT_THROW(platform::AppendToFile(L"NUL", "no disk file"), platform::SystemError);
    std::filesystem::remove(path);
    try {
        platform::ReadFileStart(path.wstring(), 100);
        ADD_FAILURE() << "a missing file was read";
    } catch (const platform::SystemError& error) {
        EXPECT_EQ(error.call, L"CreateFileW");
        EXPECT_EQ(error.code, static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(error.text.empty());
    }
}

TEST(Win32Platform, LaunchProcessOfAMissingProgramFails) {
    const std::wstring command = L"\"C:\\nowhere\\javaw.exe\" -jar \"C:\\x\\Virelt.jar\" ";
    try {
        platform::LaunchProcess({}, command, platform::ShowState::Normal);
        ADD_FAILURE() << "a missing program was started";
    } catch (const platform::SystemError& error) {
        EXPECT_EQ(error.call, L"CreateProcessW");
        EXPECT_NE(error.code, 0u);
        EXPECT_FALSE(error.text.empty());
    }
    // A system message with an insert comes back with its text, the insert unfilled.
    EXPECT_NE(platform::win32::SystemErrorText(ERROR_BAD_EXE_FORMAT).find(L"%1"),
              std::wstring::npos);
    // Its own final period, and no other.
    const std::wstring denied = platform::win32::SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(denied.ends_with(L".") && !denied.ends_with(L"..")) << test::Utf8(denied);
}

// UTF-8 both ways at every boundary: the last character of each length and the first of the
// next, the last there is and past it. Bad bytes (overlong forms, surrogates, stray or cut-short
// sequences) become U+FFFD, one or more, and never hide the good characters after them.
TEST(Utf8, ConvertsAtEveryBoundary) {
    const auto collapsed = [](std::wstring text) {
        text.erase(std::unique(text.begin(), text.end(),
                               [](wchar_t a, wchar_t b) { return a == 0xFFFD && b == 0xFFFD; }),
                   text.end());
        return text;
    };
    const std::pair<std::string, std::wstring> decoded[] = {
        {"\x7F", L"\u007F"},
        {"\xC2\x80", L"\u0080"},
        {"\xDF\xBF", L"\u07FF"},
        {"\xE0\xA0\x80", L"\u0800"},
        {"\xEF\xBF\xBF", L"\uFFFF"},
        {"\xF0\x90\x80\x80", L"\U00010000"},
        {"\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
        {"J\xC3\xA9 \xD0\xB0 \xE6\x97\xA5", L"J\u00E9 \u0430 \u65E5"},
        {"\xF4\x90\x80\x80", L"\uFFFD"},
        {"\xC0\xAF", L"\uFFFD"},
        {"\xE0\x80\xAF", L"\uFFFD"},
        {"\xED\xA0\x80", L"\uFFFD"},
        {"\xFF"
         "ab",
         L"\uFFFDab"},
        {"\xE2\x82"
         "x",
         L"\uFFFDx"},
        {"a\x80\x80"
         "b",
         L"a\uFFFDb"},
    };
    for (const auto& [bytes, text] : decoded) {
        EXPECT_EQ(collapsed(platform::Utf8ToWide(bytes)), text) << ::testing::PrintToString(bytes);
    }
    const std::pair<std::wstring, std::string> encoded[] = {
        {L"\u007F", "\x7F"},
        {L"\u0080", "\xC2\x80"},
        {L"\u07FF", "\xDF\xBF"},
        {L"\u0800", "\xE0\xA0\x80"},
        {L"\uFFFF", "\xEF\xBF\xBF"},
        {L"\U00010000", "\xF0\x90\x80\x80"},
        {L"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"a", "\xEF\xBF\xBD"
                                                               "a"},
    };
    for (const auto& [text, bytes] : encoded) {
        EXPECT_EQ(platform::WideToUtf8(text), bytes) << test::Utf8(text);
    }
}

// Byte 0xE9 is a different letter in each code page.
TEST(Win32Platform, AnsiConversionReadsTheCodePage) {
    const std::map<UINT, std::wstring> letters = {{1252, L"\u00E9"}, {1251, L"\u0439"}};
    const auto letter = letters.find(GetACP());
    if (letter == letters.end()) {
        GTEST_SKIP() << "code page " << GetACP();
    }
    EXPECT_EQ(platform::AnsiToWide("SOFTWARE\\R\xE9 1.8"),
              L"SOFTWARE\\R" + letter->second + L" 1.8");
}

// A value that changes size between the measure and the read: read again when it grew, cut to
// what was read when it shrank, and no value when a read fails or it keeps growing.
TEST(Win32Platform, ARegistryValueIsReadAgainWhenItGrew) {
    struct GrowingCase {
        const char* name;
        std::vector<std::string> values; // what each call finds, the last one again after it
        LONG failure;                    // the status of the read, once measured, or success
        std::optional<std::string> expected;
        DWORD code; // the system's code that the answer reports
    };
    const std::string grown = "C:\\Longer";
    const GrowingCase cases[] = {
        {"grows once", {"C:\\J", grown}, ERROR_SUCCESS, grown, ERROR_SUCCESS},
        {"grows thrice", {"a", "ab", "abc", "abcd"}, ERROR_SUCCESS, "abcd", ERROR_SUCCESS},
        {"shrinks", {"C:\\Longer", "C:\\J"}, ERROR_SUCCESS, "C:\\J", ERROR_SUCCESS},
        {"read fails", {"C:\\J"}, ERROR_ACCESS_DENIED, std::nullopt, ERROR_ACCESS_DENIED},
        {"keeps growing",
         {"a", "ab", "abc", "abcd", "abcde", "abcdef"},
         ERROR_SUCCESS,
         std::nullopt,
         ERROR_MORE_DATA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t call = 0;
        const auto answer = platform::win32::ReadGrowingValue(
            [&](unsigned long* type, unsigned char* data, unsigned long* size) -> long {
                const std::string& value = c.values[std::min(call++, c.values.size() - 1)];
                *type = REG_SZ;
                const bool fits = data != nullptr && *size >= value.size();
                if (fits) {
                    std::copy(value.begin(), value.end(), data);
                }
                *size = static_cast<unsigned long>(value.size());
                return data == nullptr              ? ERROR_SUCCESS
                       : c.failure != ERROR_SUCCESS ? c.failure
                       : fits                       ? ERROR_SUCCESS
                                                    : ERROR_MORE_DATA;
            });
        EXPECT_EQ(answer.outcome == platform::RegistryAnswer::Outcome::Value,
                  c.expected.has_value());
        EXPECT_EQ(answer.data, c.expected.value_or(""));
        EXPECT_EQ(answer.code, c.code);
    }
}

// ReadRegistryString against values written for real, of every type and in both views.
TEST(RegistryOnThisSystem, ReadsOnlyRegSzValues) {
    const test::ScratchKey key("SOFTWARE\\PelorinTests\\RegistryOnThisSystem");
    struct ValueCase {
        const char* name;
        REGSAM view;
        DWORD type;
        std::string bytes;
        std::optional<std::wstring> expected;
        std::wstring typeName = L"REG_SZ";
    };
    const std::string longValue(100000, 'j');
    const ValueCase cases[] = {
        {"Sz", KEY_WOW64_32KEY, REG_SZ, std::string("C:\\Java\0", 8), L"C:\\Java"},
        {"Sz64", KEY_WOW64_64KEY, REG_SZ, std::string("C:\\J64\0", 7), L"C:\\J64"},
        {"Empty", KEY_WOW64_32KEY, REG_SZ, std::string("\0", 1), L""},
        {"EmbeddedNul", KEY_WOW64_32KEY, REG_SZ, std::string("C:\\A\0B\0", 7), L"C:\\A"},
        {"Expand", KEY_WOW64_32KEY, REG_EXPAND_SZ, std::string("C:\\Java\0", 8), std::nullopt,
         L"REG_EXPAND_SZ"},
        {"Multi", KEY_WOW64_32KEY, REG_MULTI_SZ, std::string("C:\\Java\0\0", 9), std::nullopt,
         L"REG_MULTI_SZ"},
        {"Binary", KEY_WOW64_32KEY, REG_BINARY, "C:\\Java", std::nullopt, L"REG_BINARY"},
        {"Dword", KEY_WOW64_32KEY, REG_DWORD, std::string(4, '\1'), std::nullopt, L"REG_DWORD"},
        {"Qword", KEY_WOW64_32KEY, REG_QWORD, std::string(8, '\1'), std::nullopt, L"REG_QWORD"},
        {"Twelve", KEY_WOW64_32KEY, 12, "x", std::nullopt, L"type 12"},
        {"Long", KEY_WOW64_32KEY, REG_SZ, longValue + '\0',
         std::wstring(longValue.begin(), longValue.end())},
        {"Missing", KEY_WOW64_32KEY, REG_NONE, "", std::nullopt, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) != "Missing") {
            key.Set(c.view, c.name, "JavaHome", c.type, c.bytes);
        }
        const std::string path = key.path() + "\\" + c.name;
        const auto view = c.view == KEY_WOW64_64KEY ? modRegAccess::RegistryView::Bits64
                                                    : modRegAccess::RegistryView::Bits32;
        const auto read = modRegAccess::ReadRegistryString(platform::RootKey::LocalMachine,
                                                           std::wstring(path.begin(), path.end()),
                                                           L"JavaHome", view);
        EXPECT_EQ(read.value, c.expected);
        EXPECT_EQ(read.typeName, c.typeName);
    }
    // A key that grants everyone reading alone, as HKEY_LOCAL_MACHINE does an ordinary user, gives
    // its value: the read asks for no more. (Wine checks a key's security as Windows does.)
    key.Set(KEY_WOW64_32KEY, "ReadOnly", "JavaHome", REG_SZ, std::string("C:\\RO\0", 6));
    const std::wstring readOnly =
        std::wstring(key.path().begin(), key.path().end()) + L"\\ReadOnly";
    HKEY guarded = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, readOnly.c_str(), 0, WRITE_DAC | KEY_WOW64_32KEY, &guarded);
    PSECURITY_DESCRIPTOR readers = nullptr; // and deleting, for the administrators who clean up
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)(A;;SD;;;BA)",
                                                         SDDL_REVISION_1, &readers, nullptr);
    ASSERT_EQ(RegSetKeySecurity(guarded, DACL_SECURITY_INFORMATION, readers), ERROR_SUCCESS);
    LocalFree(readers);
    RegCloseKey(guarded);
    EXPECT_EQ(modRegAccess::ReadRegistryString(platform::RootKey::LocalMachine, readOnly,
                                               L"JavaHome", modRegAccess::RegistryView::Bits32)
                  .value,
              L"C:\\RO");
    // A REG_SZ of an odd number of bytes, as a careless installer writes it, keeps its characters.
    const std::wstring odd = std::wstring(key.path().begin(), key.path().end()) + L"\\Odd";
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, odd.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(created, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"C:\\Odd"), 13);
    RegCloseKey(created);
    EXPECT_EQ(modRegAccess::ReadRegistryString(platform::RootKey::LocalMachine, odd, L"JavaHome",
                                               modRegAccess::RegistryView::Bits32)
                  .value,
              L"C:\\Odd");
}

} // namespace
