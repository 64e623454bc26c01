#include "registry/registry.h"

#include "platform/memory/memory_platform.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using memory_platform::Machine;
using memory_platform::RegistryValue;

constexpr std::uint32_t REG_SZ_TYPE = 1;
const std::string KeyPath = "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8";

struct RegistryCase {
    const char* name;
    std::function<void(Machine&)> arrange;
    std::optional<std::wstring> expected;
};

void Put32(Machine& m, std::uint32_t type, std::string data) {
    m.registry32[KeyPath]["JavaHome"] = RegistryValue{type, std::move(data)};
}

void Put64(Machine& m, std::uint32_t type, std::string data) {
    m.registry64[KeyPath]["JavaHome"] = RegistryValue{type, std::move(data)};
}

std::string Terminated(const std::string& text) {
    return text + std::string(1, '\0');
}

TEST(ReadRegistryString, AnswersAStringOrNoValue) {
    const std::string longText(100000, 'x');
    const std::string longWithNul = std::string(40000, 'a') + std::string(1, '\0') + "tail";
    const RegistryCase cases[] = {
        // The machine is an ordinary user's: a key opened for more than reading is refused.
        {"REG_SZ", [](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated("C:\\Java")); }, L"C:\\Java"},
        {"missing key", [](Machine&) {}, std::nullopt},
        {"missing value",
         [](Machine& m) {
             m.registry32[KeyPath]["Other"] = {REG_SZ_TYPE, Terminated("C:\\J")};
         },
         std::nullopt},
        {"REG_EXPAND_SZ", [](Machine& m) { Put32(m, 2, Terminated("C:\\Java")); }, std::nullopt},
        {"REG_BINARY", [](Machine& m) { Put32(m, 3, Terminated("C:\\Java")); }, std::nullopt},
        {"REG_DWORD", [](Machine& m) { Put32(m, 4, std::string(4, '\1')); }, std::nullopt},
        {"REG_MULTI_SZ", [](Machine& m) { Put32(m, 7, Terminated("C:\\Java") + '\0'); },
         std::nullopt},
        {"REG_NONE", [](Machine& m) { Put32(m, 0, Terminated("C:\\Java")); }, std::nullopt},
        {"empty value", [](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated("")); }, L""},
        {"zero bytes", [](Machine& m) { Put32(m, REG_SZ_TYPE, ""); }, L""},
        {"no terminator", [](Machine& m) { Put32(m, REG_SZ_TYPE, "C:\\Java"); }, L"C:\\Java"},
        {"embedded NUL", [](Machine& m) { Put32(m, REG_SZ_TYPE, std::string("C:\\Ja\0va\0", 9)); },
         L"C:\\Ja"},
        {"leading NUL", [](Machine& m) { Put32(m, REG_SZ_TYPE, std::string("\0C:\\J", 5)); }, L""},
        {"100,000 characters", [&](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated(longText)); },
         std::wstring(longText.begin(), longText.end())},
        {"first NUL past 32,767", [&](Machine& m) { Put32(m, REG_SZ_TYPE, longWithNul); },
         std::wstring(40000, L'a')},
        {"Latin-1 text", [](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated("C:\\J\xE9r\xF4me")); },
         L"C:\\J\u00E9r\u00F4me"},
        {"64-bit view only", [](Machine& m) { Put64(m, REG_SZ_TYPE, Terminated("C:\\J64")); },
         L"C:\\J64"},
        {"32-bit view first",
         [](Machine& m) {
             Put32(m, REG_SZ_TYPE, Terminated("C:\\J32"));
             Put64(m, REG_SZ_TYPE, Terminated("C:\\J64"));
         },
         L"C:\\J32"},
        {"wrong type in 32-bit view, REG_SZ in 64-bit view",
         [](Machine& m) {
             Put32(m, 2, Terminated("C:\\J32"));
             Put64(m, REG_SZ_TYPE, Terminated("C:\\J64"));
         },
         L"C:\\J64"},
        {"key path compared without regard to case",
         [](Machine& m) {
             m.registry32["software\\javasoft\\java runtime environment\\1.8"]["JavaHome"] = {
                 REG_SZ_TYPE, Terminated("C:\\Lower")};
         },
         L"C:\\Lower"},
        {"value grows between the two reads",
         [](Machine& m) {
             Put32(m, REG_SZ_TYPE, Terminated("C:\\J"));
             int calls = 0;
             m.queryOverride = [calls](const std::string&, std::uint32_t& type, char* data,
                                       std::uint32_t& size) mutable {
                 const std::string value = Terminated(++calls == 1 ? "C:\\J" : "C:\\Longer");
                 type = REG_SZ_TYPE;
                 if (data == nullptr || size < value.size()) {
                     const bool measuring = data == nullptr;
                     size = static_cast<std::uint32_t>(value.size());
                     return measuring ? 0L : 234L;
                 }
                 std::copy(value.begin(), value.end(), data);
                 size = static_cast<std::uint32_t>(value.size());
                 return 0L;
             };
         },
         L"C:\\Longer"},
        {"second read fails",
         [](Machine& m) {
             m.registry32[KeyPath]["JavaHome"] = {REG_SZ_TYPE, Terminated("C:\\J")};
             m.queryOverride = [](const std::string&, std::uint32_t& type, char* data,
                                  std::uint32_t& size) {
                 type = REG_SZ_TYPE;
                 size = 8;
                 return data == nullptr ? 0L : 5L;
             };
         },
         std::nullopt},
    };
    for (const auto& c : cases) {
        memory_platform::Reset();
        c.arrange(memory_platform::TheMachine());
        const auto value = modRegAccess::ReadRegistryString(
            modRegAccess::HKEY_LOCAL_MACHINE_ROOT, std::wstring(KeyPath.begin(), KeyPath.end()),
            L"JavaHome");
        EXPECT_EQ(value, c.expected) << c.name;
        EXPECT_EQ(memory_platform::TheMachine().openKeys, 0) << c.name << ": a key was left open";
    }
}

TEST(ReadRegistryString, KeyPathOutsideTheCodePageFindsNoKey) {
    memory_platform::Reset();
    Machine& m = memory_platform::TheMachine();
    m.registry32["SOFTWARE\\?"]["JavaHome"] = {REG_SZ_TYPE, Terminated("C:\\Wrong")};
    // The key path reaches the registry in the ANSI code page, where U+0100 can't be held: it
    // becomes '?', which names another key. That key's value is what the system answers.
    EXPECT_EQ(modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                               L"SOFTWARE\\\u0100", L"JavaHome"),
              L"C:\\Wrong");
    EXPECT_EQ(m.events.front(), L"RegistryOpenKey 32 SOFTWARE\\?");
}

} // namespace
