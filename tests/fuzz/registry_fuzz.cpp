// ReadRegistryString against a registry whose every answer (type, size, status and text) the
// fuzzer chooses: no value unless both reads said REG_SZ and the data read succeeded, and a value
// is always the data cut exactly at its first NUL; no key is left open.
#include "expect.h"
#include "tests/support/memory_platform.h"
#include "registry/registry.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

struct Answer {
    std::uint32_t type;
    std::uint32_t size; // in bytes
    long status;
    std::wstring text;
};

std::wstring Widened(const std::string& bytes) {
    return std::wstring(bytes.begin(), bytes.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<Answer> answers;
    for (int i = 0; i < 10; ++i) {
        const auto type = input.ConsumeIntegralInRange<std::uint32_t>(0, 12);
        const auto reported = input.ConsumeIntegralInRange<std::uint32_t>(0, 70000);
        const long status = input.PickValueInArray({0L, 0L, 0L, 2L, 5L, 234L});
        answers.push_back(
            {type, reported, status, Widened(input.ConsumeRandomLengthString(70000))});
    }

    memory_platform::Reset();
    auto& machine = memory_platform::TheMachine();
    machine.registry32[L"SOFTWARE\\Key"][L"JavaHome"] = {1, L"unused"};
    std::size_t call = 0;
    std::optional<std::wstring> expected; // what the last data read should give
    machine.queryOverride = [&](const std::wstring&, std::uint32_t& type, wchar_t* buffer,
                                std::uint32_t& bufferSize) {
        const Answer& answer = answers[call++ % answers.size()];
        type = answer.type;
        expected.reset();
        if (buffer == nullptr) {
            bufferSize = answer.size;
            return answer.status;
        }
        // A real registry never writes more than the buffer holds, nor reports more written.
        const std::size_t written =
            std::min<std::size_t>(answer.text.size(), bufferSize / sizeof(wchar_t));
        std::copy(answer.text.begin(), answer.text.begin() + static_cast<long>(written), buffer);
        if (answer.status == 234) {
            bufferSize = answer.size;
        } else {
            bufferSize = static_cast<std::uint32_t>(written * sizeof(wchar_t));
            if (answer.status == 0 && answer.type == 1) {
                const std::wstring read(buffer, written);
                expected = read.substr(0, read.find(L'\0'));
            }
        }
        return answer.status;
    };

    const auto read =
        modRegAccess::ReadRegistryString(modRegAccess::HKEY_LOCAL_MACHINE_ROOT, L"SOFTWARE\\Key",
                                         L"JavaHome", modRegAccess::RegistryView::Bits32);
    Expect(machine.openKeys == 0);
    Expect(read.value.has_value() == (read.outcome == modRegAccess::RegistryRead::Outcome::Value));
    if (read.value) {
        Expect(expected.has_value() && *read.value == *expected);
    }
    return 0;
}
