#include "registry/registry.h"

#include "text/decoding.h"

#include <algorithm>

namespace modRegAccess {

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
    if (!answer.isString) {
        return {Outcome::OtherType, answer.code, answer.typeName, std::nullopt};
    }
    // UTF-16, little-endian, whose text ends at its first NUL.
    std::wstring text = Utf16ToWide(answer.data, false);
    text.resize(std::min(text.find(L'\0'), text.size()));
    return {Outcome::Value, answer.code, answer.typeName, text};
}

} // namespace modRegAccess
