// Reading one string value from the Windows registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace modRegAccess {

inline constexpr std::uint32_t HKEY_LOCAL_MACHINE_ROOT = 0x80000002;

// The string held by a REG_SZ value, cut before its first NUL; no value for every registry
// problem (missing key or value, refused access, any other type). The key is looked for in the
// 32-bit view first, where 32-bit installers and runtimes register, then in the 64-bit view.
std::optional<std::wstring> ReadRegistryString(std::uint32_t rootKey, const std::wstring& keyPath,
                                               const std::wstring& valueName);

} // namespace modRegAccess
