// Reading one string value from the Windows registry.
#pragma once

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace modRegAccess {

// The views are asked in the platform's order: 32-bit installers and runtimes register in the
// 32-bit view, which comes first.
using RegistryView = platform::RegistryView;

// What one view answered, and why there is no value when there is none.
struct RegistryRead {
    enum class Outcome { Value, NoKey, NoValue, OtherType };
    Outcome outcome = Outcome::NoKey;
    std::uint32_t code = 0; // the system's code for the call that ended the read
    std::wstring typeName;  // the value's type, as Windows names it
    std::optional<std::wstring> value;
};

// The root key as reports and the trace name it, such as HKEY_LOCAL_MACHINE.
constexpr const wchar_t* RootKeyName(platform::RootKey root) {
    switch (root) {
    case platform::RootKey::LocalMachine:
        break;
    }
    return L"HKEY_LOCAL_MACHINE";
}

// The one type whose value holds a Java home, REG_SZ: a string, not one with variables to expand.
constexpr std::uint32_t StringType = 1;

// The type of a value as reports and the trace name it, such as REG_DWORD, from the number Windows
// stores; a type Windows does not name is "type" and its number.
std::wstring RegistryTypeName(std::uint32_t type);

// The string held by a REG_SZ value, cut before its first NUL; no value for every registry
// problem (missing key or value, refused access, any other type). Read through the wide API, so
// that the text is what the installer wrote, whatever the code page.
RegistryRead ReadRegistryString(platform::RootKey rootKey, const std::wstring& keyPath,
                                const std::wstring& valueName, RegistryView view);

} // namespace modRegAccess
