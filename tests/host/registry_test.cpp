#include "registry/registry.h"

#include "tests/support/memory_platform.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using memory_platform::Machine;
using memory_platform::RegistryValue;
using namespace memory_platform; // the registry types by number
using Outcome = modRegAccess::RegistryRead::Outcome;

const std::wstring KeyPath = L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8";

struct RegistryCase {
    const char* name;
    std::function<void(Machine&)> arrange;
    std::optional<std::wstring> expected;
    Outcome outcome;
    std::wstring typeName = L"REG_SZ"; // as the read reports it
    modRegAccess::RegistryView view = modRegAccess::RegistryView::Bits32;
};

void Put32(Machine& m, std::uint32_t type, const std::string& data) {
    m.registry32[KeyPath][L"JavaHome"] = RegistryValue{type, data};
}

std::string Terminated(const std::wstring& text) {
    return memory_platform::Utf16Bytes(text + L'\0');
}

// The program's own rules on what the registry answered: REG_SZ only, cut at the first NUL, an
// odd last byte left out.
TEST(ReadRegistryString, AnswersAStringOrNoValue) {
    const std::wstring longText(100000, L'x');
    const std::wstring longWithNul = std::wstring(40000, L'a') + L'\0' + L"tail";
    const std::wstring outsideTheCodePage = L"C:\\J\u0430va \u65E5\u672C";
    const RegistryCase cases[] = {
        {"REG_SZ", [](Machine& m) { Put32(m, RegSz, Terminated(L"C:\\Java")); }, L"C:\\Java",
         Outcome::Value},
        {"missing key", [](Machine&) {}, std::nullopt, Outcome::NoKey, L""},
        {"missing value",
         [](Machine& m) {
             m.registry32[KeyPath][L"Other"] = {RegSz, Terminated(L"C:\\J")};
         },
         std::nullopt, Outcome::NoValue, L""},
        {"REG_EXPAND_SZ", [](Machine& m) { Put32(m, RegExpandSz, Terminated(L"C:\\Java")); },
         std::nullopt, Outcome::OtherType, L"REG_EXPAND_SZ"},
        {"REG_MULTI_SZ",
         [](Machine& m) { Put32(m, RegMultiSz, Terminated(L"C:\\Java") + '\0' + '\0'); },
         std::nullopt, Outcome::OtherType, L"REG_MULTI_SZ"},
        {"empty value", [](Machine& m) { Put32(m, RegSz, Terminated(L"")); }, L"", Outcome::Value},
        {"zero bytes", [](Machine& m) { Put32(m, RegSz, ""); }, L"", Outcome::Value},
        {"no terminator",
         [](Machine& m) { Put32(m, RegSz, memory_platform::Utf16Bytes(L"C:\\Java")); }, L"C:\\Java",
         Outcome::Value},
        {"odd byte size",
         [](Machine& m) { Put32(m, RegSz, memory_platform::Utf16Bytes(L"C:\\J") + 'x'); }, L"C:\\J",
         Outcome::Value},
        {"embedded NUL",
         [](Machine& m) {
             Put32(m, RegSz, memory_platform::Utf16Bytes(std::wstring(L"C:\\Ja\0va\0", 9)));
         },
         L"C:\\Ja", Outcome::Value},
        {"leading NUL",
         [](Machine& m) {
             Put32(m, RegSz, memory_platform::Utf16Bytes(std::wstring(L"\0C:\\J", 5)));
         },
         L"", Outcome::Value},
        {"100,000 characters", [&](Machine& m) { Put32(m, RegSz, Terminated(longText)); }, longText,
         Outcome::Value},
        {"first NUL past 32,767",
         [&](Machine& m) { Put32(m, RegSz, memory_platform::Utf16Bytes(longWithNul)); },
         std::wstring(40000, L'a'), Outcome::Value},
        {"text outside the ANSI code page",
         [&](Machine& m) { Put32(m, RegSz, Terminated(outsideTheCodePage)); }, outsideTheCodePage,
         Outcome::Value},
        {"characters whose low byte is zero",
         [](Machine& m) { Put32(m, RegSz, Terminated(L"C:\\\u0100\u4E00")); }, L"C:\\\u0100\u4E00",
         Outcome::Value},
        {"64-bit view",
         [](Machine& m) {
             m.registry64[KeyPath][L"JavaHome"] = {RegSz, Terminated(L"C:\\J64")};
         },
         L"C:\\J64", Outcome::Value, L"REG_SZ", modRegAccess::RegistryView::Bits64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        memory_platform::Reset();
        c.arrange(memory_platform::TheMachine());
        const auto read = modRegAccess::ReadRegistryString(platform::RootKey::LocalMachine, KeyPath,
                                                           L"JavaHome", c.view);
        EXPECT_EQ(read.value, c.expected);
        EXPECT_EQ(read.outcome, c.outcome);
        EXPECT_EQ(read.typeName, c.typeName);
    }
}

} // namespace
