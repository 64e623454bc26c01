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

std::optional<std::wstring> ReadInView(std::uint32_t rootKey, const std::string& keyPath,
                                       const std::string& valueName, std::uint32_t view) {
    // Read access is all we need; asking for more is refused to ordinary users under
    // HKEY_LOCAL_MACHINE.
    platform::RegistryKey rawKey = 0;
    if (platform::RegistryOpenKey(rootKey, keyPath, 0, KEY_QUERY_VALUE_ACCESS | view, rawKey) !=
            ERROR_SUCCESS_STATUS ||
        rawKey == 0) {
        return std::nullopt;
    }
    const KeyOwner key(rawKey);

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    platform::RegistryQueryValue(key.get(), valueName, type, nullptr, size);
    if (type != REG_SZ_TYPE) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < MaxReadAttempts; ++attempt) {
        std::string buffer(size, ' ');
        std::uint32_t readType = 0;
        const long status =
            platform::RegistryQueryValue(key.get(), valueName, readType, buffer.data(), size);
        if (status == ERROR_MORE_DATA_STATUS) {
            continue; // the value grew since it was measured; size now holds its new length
        }
        if (status != ERROR_SUCCESS_STATUS || readType != REG_SZ_TYPE) {
            return std::nullopt;
        }
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        buffer.resize(std::min(buffer.find('\0'), buffer.size()));
        return platform::AnsiToWide(buffer);
    }
    return std::nullopt;
}

} // namespace

std::optional<std::wstring> ReadRegistryString(std::uint32_t rootKey, const std::wstring& keyPath,
                                               const std::wstring& valueName) {
    const std::string ansiKeyPath = platform::WideToAnsi(keyPath);
    const std::string ansiValueName = platform::WideToAnsi(valueName);
    for (const std::uint32_t view : {KEY_WOW64_32KEY_VIEW, KEY_WOW64_64KEY_VIEW}) {
        if (auto value = ReadInView(rootKey, ansiKeyPath, ansiValueName, view)) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace modRegAccess
