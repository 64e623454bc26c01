#include "registry/registry.h"

#include "platform/platform.h"

#include <algorithm>

namespace modRegAccess {
namespace {

constexpr long ERROR_SUCCESS_STATUS = 0;
constexpr long ERROR_MORE_DATA_STATUS = 234;
constexpr std::uint32_t REG_SZ_TYPE = 1;
constexpr std::uint32_t KEY_QUERY_VALUE_ACCESS = 0x0001;
constexpr std::uint32_t KEY_WOW64_64KEY_VIEW = 0x0100;
constexpr std::uint32_t KEY_WOW64_32KEY_VIEW = 0x0200;

// A value that keeps changing size between the two reads is given up after this many tries.
constexpr int MaxReadAttempts = 4;

// Owns an open key; 0 is no key.
class KeyOwner {
public:
    explicit KeyOwner(platform::RegistryKey key) : key_(key) {}
    KeyOwner(const KeyOwner&) = delete;
    KeyOwner& operator=(const KeyOwner&) = delete;
    ~KeyOwner() {
        if (key_ != 0) {
            platform::RegistryCloseKey(key_);
        }
    }
    platform::RegistryKey get() const { return key_; }

private:
    platform::RegistryKey key_;
};

RegistryRead NoValue(RegistryRead::Outcome outcome, long status, std::uint32_t type = 0) {
    return {outcome, status, type, std::nullopt};
}

} // namespace

RegistryRead ReadRegistryString(std::uint32_t rootKey, const std::wstring& keyPath,
                                const std::wstring& valueName, RegistryView view) {
    using Outcome = RegistryRead::Outcome;
    // Read access is all we need; asking for more is refused to ordinary users under
    // HKEY_LOCAL_MACHINE.
    const std::uint32_t access =
        KEY_QUERY_VALUE_ACCESS |
        (view == RegistryView::Bits32 ? KEY_WOW64_32KEY_VIEW : KEY_WOW64_64KEY_VIEW);
    platform::RegistryKey rawKey = 0;
    const long opened = platform::RegistryOpenKey(rootKey, keyPath, access, rawKey);
    if (opened != ERROR_SUCCESS_STATUS || rawKey == 0) {
        return NoValue(Outcome::NoKey, opened);
    }
    const KeyOwner key(rawKey);

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const long measured = platform::RegistryQueryValue(key.get(), valueName, type, nullptr, size);
    if (measured != ERROR_SUCCESS_STATUS) {
        return NoValue(Outcome::NoValue, measured);
    }
    if (type != REG_SZ_TYPE) {
        return NoValue(Outcome::OtherType, measured, type);
    }
    long status = ERROR_MORE_DATA_STATUS;
    for (int attempt = 0; attempt < MaxReadAttempts && status == ERROR_MORE_DATA_STATUS;
         ++attempt) {
        // Sizes are in bytes of UTF-16; an odd last byte is half a character, and left out.
        std::wstring buffer((size + 1) / sizeof(wchar_t), L' ');
        size = static_cast<std::uint32_t>(buffer.size() * sizeof(wchar_t));
        std::uint32_t readType = 0;
        status = platform::RegistryQueryValue(key.get(), valueName, readType, buffer.data(), size);
        if (status == ERROR_SUCCESS_STATUS && readType != REG_SZ_TYPE) {
            return NoValue(Outcome::OtherType, status, readType);
        }
        if (status == ERROR_SUCCESS_STATUS) {
            buffer.resize(std::min<std::size_t>(size / sizeof(wchar_t), buffer.size()));
            buffer.resize(std::min(buffer.find(L'\0'), buffer.size()));
            return {Outcome::Value, status, readType, buffer};
        }
        // ERROR_MORE_DATA: the value grew since it was measured; size now holds its new length.
    }
    return NoValue(Outcome::NoValue, status, type);
}

} // namespace modRegAccess
