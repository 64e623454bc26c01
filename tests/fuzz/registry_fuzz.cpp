// ReadRegistryString on any value the registry could hold: a string only for REG_SZ, never with a
// NUL in it, and always the start of what is stored, whole characters only.
#include "expect.h"
#include "registry/registry.h"
#include "tests/support/memory_platform.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    using namespace memory_platform;
    const std::uint32_t type = input.PickValueInArray({RegSz, RegSz, RegExpandSz, RegBinary});
    const std::string stored = input.ConsumeRemainingBytesAsString();

    memory_platform::Reset();
    memory_platform::TheMachine().registry64[L"SOFTWARE\\Key"][L"JavaHome"] = {type, stored};
    const auto read =
        modRegAccess::ReadRegistryString(platform::RootKey::LocalMachine, L"SOFTWARE\\Key",
                                         L"JavaHome", modRegAccess::RegistryView::Bits64);
    Expect(read.value.has_value() == (read.outcome == modRegAccess::RegistryRead::Outcome::Value));
    if (read.value) {
        const std::string bytes = memory_platform::Utf16Bytes(*read.value);
        Expect(read.value->find(L'\0') == std::wstring::npos);
        Expect(stored.compare(0, bytes.size(), bytes) == 0);
        // It stops only at a NUL character or at the last whole character.
        Expect(bytes.size() + 1 >= stored.size() ||
               stored.compare(bytes.size(), 2, "\0\0", 2) == 0);
    }
    return 0;
}
