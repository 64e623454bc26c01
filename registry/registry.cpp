#include "registry/registry.h"

#include "text/decoding.h"
#include "text/text.h"

#include <algorithm>

namespace modRegAccess {

std::wstring RegistryTypeName(std::uint32_t type) {
    // Windows' numbers for them (winnt.h).
    static constexpr const wchar_t* names[] = {L"REG_NONE",
                                               L"REG_SZ",
                                               L"REG_EXPAND_SZ",
                                               L"REG_BINARY",
                                               L"REG_DWORD",
                                               L"REG_DWORD_BIG_ENDIAN",
                                               L"REG_LINK",
                                               L"REG_MULTI_SZ",
                                               L"REG_RESOURCE_LIST",
                                               L"REG_FULL_RESOURCE_DESCRIPTOR",
                                               L"REG_RESOURCE_REQUIREMENTS_LIST",
                                               L"REG_QWORD"};
    return type < std::size(names) ? names[type] : DecimalText(type).insert(0, L"type ");
}

RegistryRead ReadRegistryString(platform::RootKey rootKey, const std::wstring& keyPath,
                                const std::wstring& valueName, RegistryView view) {
    using Outcome = RegistryRead::Outcome;
    const platform::RegistryAnswer answer =
        platform::ReadRegistryValue(rootKey, keyPath, valueName, view);
    switch (answer.outcome) {
    case platform::RegistryAnswer::Outcome::NoKey:
        return {Outcome::NoKey, answer.code, {}, std::nullopt};
    case platform::RegistryAnswer::Outcome::NoValue:
        return {Outcome::NoValue, answer.code, {}, std::nullopt};
    case platform::RegistryAnswer::Outcome::Value:
        break;
    }
    if (answer.type != StringType) {
        return {Outcome::OtherType, answer.code, RegistryTypeName(answer.type), std::nullopt};
    }
    // UTF-16, little-endian, whose text ends at its first NUL.
    std::wstring text = Utf16ToWide(answer.data, false);
    text.resize(std::min(text.find(L'\0'), text.size()));
    return {Outcome::Value, answer.code, RegistryTypeName(answer.type), text};
}

} // namespace modRegAccess
