#include "registry/registry.h"

#include "tests/support/memory_platform.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using memory_platform::Machine;
using memory_platform::RegistryValue;
using Outcome = modRegAccess::RegistryRead::Outcome;

constexpr std::uint32_t REG_SZ_TYPE = 1;
const std::wstring KeyPath = L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8";

struct RegistryCase {
    const char* name;
    std::function<void(Machine&)> arrange;
    std::optional<std::wstring> expected;
    Outcome outcome;
    std::uint32_t type = REG_SZ_TYPE; // as the read reports it
    modRegAccess::RegistryView view = modRegAccess::RegistryView::Bits32;
};

void Put32(Machine& m, std::uint32_t type, std::wstring data) {
    m.registry32[KeyPath][L"JavaHome"] = RegistryValue{type, std::move(data)};
}

std::wstring Terminated(const std::wstring& text) {
    return text + L'\0';
}

TEST(ReadRegistryString, AnswersAStringOrNoValue) {
    const std::wstring longText(100000, L'x');
    const std::wstring longWithNul = std::wstring(40000, L'a') + L'\0' + L"tail";
    const std::wstring outsideTheCodePage = L"C:\\J\u0430va \u65E5\u672C";
    const RegistryCase cases[] = {
        // The machine is an ordinary user's: a key opened for more than reading is refused.
        {"REG_SZ", [](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated(L"C:\\Java")); }, L"C:\\Java",
         Outcome::Value},
        {"missing key", [](Machine&) {}, std::nullopt, Outcome::NoKey, 0},
        {"missing value",
         [](Machine& m) {
             m.registry32[KeyPath][L"Other"] = {REG_SZ_TYPE, Terminated(L"C:\\J")};
         },
         std::nullopt, Outcome::NoValue, 0},
        {"REG_EXPAND_SZ", [](Machine& m) { Put32(m, 2, Terminated(L"C:\\Java")); }, std::nullopt,
         Outcome::OtherType, 2},
        {"REG_BINARY", [](Machine& m) { Put32(m, 3, Terminated(L"C:\\Java")); }, std::nullopt,
         Outcome::OtherType, 3},
        {"REG_DWORD", [](Machine& m) { Put32(m, 4, std::wstring(2, L'\1')); }, std::nullopt,
         Outcome::OtherType, 4},
        {"REG_MULTI_SZ", [](Machine& m) { Put32(m, 7, Terminated(L"C:\\Java") + L'\0'); },
         std::nullopt, Outcome::OtherType, 7},
        {"REG_NONE", [](Machine& m) { Put32(m, 0, Terminated(L"C:\\Java")); }, std::nullopt,
         Outcome::OtherType, 0},
        {"empty value", [](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated(L"")); }, L"",
         Outcome::Value},
        {"zero bytes", [](Machine& m) { Put32(m, REG_SZ_TYPE, L""); }, L"", Outcome::Value},
        {"no terminator", [](Machine& m) { Put32(m, REG_SZ_TYPE, L"C:\\Java"); }, L"C:\\Java",
         Outcome::Value},
        {"embedded NUL",
         [](Machine& m) { Put32(m, REG_SZ_TYPE, std::wstring(L"C:\\Ja\0va\0", 9)); }, L"C:\\Ja",
         Outcome::Value},
        {"leading NUL", [](Machine& m) { Put32(m, REG_SZ_TYPE, std::wstring(L"\0C:\\J", 5)); }, L"",
         Outcome::Value},
        {"100,000 characters", [&](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated(longText)); },
         longText, Outcome::Value},
        {"first NUL past 32,767", [&](Machine& m) { Put32(m, REG_SZ_TYPE, longWithNul); },
         std::wstring(40000, L'a'), Outcome::Value},
        {"text outside the ANSI code page",
         [&](Machine& m) { Put32(m, REG_SZ_TYPE, Terminated(outsideTheCodePage)); },
         outsideTheCodePage, Outcome::Value},
        {"64-bit view",
         [](Machine& m) {
             m.registry64[KeyPath][L"JavaHome"] = {REG_SZ_TYPE, Terminated(L"C:\\J64")};
         },
         L"C:\\J64", Outcome::Value, REG_SZ_TYPE, modRegAccess::RegistryView::Bits64},
        {"key path compared without regard to case",
         [](Machine& m) {
             m.registry32[L"software\\javasoft\\java runtime environment\\1.8"][L"JavaHome"] = {
                 REG_SZ_TYPE, Terminated(L"C:\\Lower")};
         },
         L"C:\\Lower", Outcome::Value},
        {"value grows between the two reads",
         [](Machine& m) {
             Put32(m, REG_SZ_TYPE, Terminated(L"C:\\J"));
             int calls = 0;
             m.queryOverride = [calls](const std::wstring&, std::uint32_t& type, wchar_t* data,
                                       std::uint32_t& size) mutable {
                 const std::wstring value = Terminated(++calls == 1 ? L"C:\\J" : L"C:\\Longer");
                 const auto bytes = static_cast<std::uint32_t>(value.size() * sizeof(wchar_t));
                 type = REG_SZ_TYPE;
                 if (data == nullptr || size < bytes) {
                     const bool measuring = data == nullptr;
                     size = bytes;
                     return measuring ? 0L : 234L;
                 }
                 std::copy(value.begin(), value.end(), data);
                 size = bytes;
                 return 0L;
             };
         },
         L"C:\\Longer", Outcome::Value},
        {"second read fails",
         [](Machine& m) {
             Put32(m, REG_SZ_TYPE, Terminated(L"C:\\J"));
             m.queryOverride = [](const std::wstring&, std::uint32_t& type, wchar_t* data,
                                  std::uint32_t& size) {
                 type = REG_SZ_TYPE;
                 size = 8;
                 return data == nullptr ? 0L : 5L;
             };
         },
         std::nullopt, Outcome::NoValue},
    };
    for (const auto& c : cases) {
        memory_platform::Reset();
        c.arrange(memory_platform::TheMachine());
        const auto read = modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                                           KeyPath, L"JavaHome", c.view);
        EXPECT_EQ(read.value, c.expected) << c.name;
        EXPECT_EQ(read.outcome, c.outcome) << c.name;
        EXPECT_EQ(read.type, c.type) << c.name;
        EXPECT_EQ(memory_platform::TheMachine().openKeys, 0) << c.name << ": a key was left open";
    }
}

TEST(ReadRegistryString, KeyPathOutsideTheCodePageFindsItsKey) {
    memory_platform::Reset();
    const std::wstring path = L"SOFTWARE\\J\u0430va \u65E5\u672C";
    memory_platform::TheMachine().registry32[path][L"JavaHome"] = {REG_SZ_TYPE, L"C:\\Right"};
    memory_platform::TheMachine().registry32[L"SOFTWARE\\J?va ??"][L"JavaHome"] = {REG_SZ_TYPE,
                                                                                   L"C:\\Wrong"};
    EXPECT_EQ(modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT, path,
                                               L"JavaHome", modRegAccess::RegistryView::Bits32)
                  .value,
              L"C:\\Right");
}

} // namespace
