#include "registry/registry.h"

namespace modRegAccess {

RegistryRead ReadRegistryString(std::uint32_t rootKey, const std::wstring& keyPath,
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
    if (answer.typeName != L"REG_SZ") {
        return {Outcome::OtherType, answer.code, answer.typeName, std::nullopt};
    }
    // The data is UTF-16, little-endian; an odd last byte is half a character, and left out.
    std::wstring text;
    for (std::size_t i = 0; i + 1 < answer.data.size(); i += 2) {
        const auto low = static_cast<unsigned char>(answer.data[i]);
        const auto high = static_cast<unsigned char>(answer.data[i + 1]);
        if (low == 0 && high == 0) {
            break; // the text ends at its first NUL
        }
        text.push_back(static_cast<wchar_t>(high << 8 | low));
    }
    return {Outcome::Value, answer.code, answer.typeName, text};
}

} // namespace modRegAccess
