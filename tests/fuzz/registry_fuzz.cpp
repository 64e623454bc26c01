// ReadRegistryString against a registry whose every answer (type, size, status and bytes) the
// fuzzer chooses: no value unless both reads said REG_SZ and the data read succeeded, and a value
// is always the data cut exactly at its first NUL; no key is left open.
#include "expect.h"
#include "platform/memory/memory_platform.h"
#include "registry/registry.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

struct Answer {
    std::uint32_t type;
    std::uint32_t size;
    long status;
    std::string bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<Answer> answers;
    for (int i = 0; i < 10; ++i) {
        const auto type = input.ConsumeIntegralInRange<std::uint32_t>(0, 12);
        const auto reported = input.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
        const long status = input.PickValueInArray({0L, 0L, 0L, 2L, 5L, 234L});
        answers.push_back({type, reported, status, input.ConsumeRandomLengthString(70000)});
    }

    memory_platform::Reset();
    auto& machine = memory_platform::TheMachine();
    machine.registry32["SOFTWARE\\Key"]["JavaHome"] = {1, "unused"};
    machine.registry64["SOFTWARE\\Key"]["JavaHome"] = {1, "unused"};
    std::size_t call = 0;
    std::optional<std::string> expected; // what the last data read should give
    machine.queryOverride = [&](const std::string&, std::uint32_t& type, char* buffer,
                                std::uint32_t& bufferSize) {
        const Answer& answer = answers[call++ % answers.size()];
        type = answer.type;
        expected.reset();
        if (buffer == nullptr) {
            bufferSize = answer.size;
            return answer.status;
        }
        // A real registry never writes more than the buffer holds, nor reports more written.
        const std::size_t written = std::min<std::size_t>(answer.bytes.size(), bufferSize);
        std::copy(answer.bytes.begin(), answer.bytes.begin() + static_cast<long>(written), buffer);
        if (answer.status == 234) {
            bufferSize = answer.size;
        } else {
            bufferSize = static_cast<std::uint32_t>(written);
            if (answer.status == 0 && answer.type == 1) {
                const std::string read(buffer, written);
                expected = read.substr(0, read.find('\0'));
            }
        }
        return answer.status;
    };

    const auto value = modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT,
                                                        L"SOFTWARE\\Key", L"JavaHome");
    Expect(machine.openKeys == 0);
    if (value) {
        Expect(expected.has_value());
        // The in-memory machine's code page maps each byte to the character of the same number.
        std::wstring widened;
        for (const unsigned char byte : *expected) {
            widened.push_back(static_cast<wchar_t>(byte));
        }
        Expect(*value == widened);
    }
    return 0;
}
