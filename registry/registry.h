// Reading one string value from the Windows registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace modRegAccess {

inline constexpr std::uint32_t HKEY_LOCAL_MACHINE_ROOT = 0x80000002;

// A 64-bit Windows keeps two views of HKEY_LOCAL_MACHINE\SOFTWARE. They are asked in this order:
// 32-bit installers and runtimes register in the 32-bit view.
enum class RegistryView { Bits32, Bits64 };
inline constexpr RegistryView RegistryViews[] = {RegistryView::Bits32, RegistryView::Bits64};

// What one view answered, and why there is no value when there is none.
struct RegistryRead {
    enum class Outcome { Value, NoKey, NoValue, OtherType };
    Outcome outcome = Outcome::NoKey;
    long status = 0;        // the system's code for the call that ended the read
    std::uint32_t type = 0; // the value's type, as the registry reported it
    std::optional<std::wstring> value;
};

// The string held by a REG_SZ value, cut before its first NUL; no value for every registry
// problem (missing key or value, refused access, any other type). Read through the wide API, so
// that the text is what the installer wrote, whatever the code page.
RegistryRead ReadRegistryString(std::uint32_t rootKey, const std::wstring& keyPath,
                                const std::wstring& valueName, RegistryView view);

} // namespace modRegAccess
