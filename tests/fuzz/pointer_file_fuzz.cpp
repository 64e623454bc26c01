// The pointer-file reader the program calls, on files in each form: whatever the bytes, it reads
// at most its bound and one byte, gives a key path no longer than the bound, and gives the same
// key path for a file whose first line names one as for that file with any bytes after the line.
#include "expect.h"
#include "launcher/failure_report.h"
#include "launcher/pointer_file.h"
#include "tests/support/memory_platform.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const std::wstring Path = L"C:\\Virelt\\JRE.pelorin";

// The key path read, or none when the file holds no item.
std::optional<std::optional<std::wstring>> Read(const std::string& file) {
    memory_platform::Reset();
    memory_platform::TheMachine().files[Path] = file;
    try {
        const auto keyPath = ReadRuntimePointer(Path).keyPath;
        Expect(memory_platform::TheMachine().bytesRead <= MaxPointerFileBytes + 1);
        Expect(!keyPath || keyPath->size() <= MaxPointerFileBytes);
        return keyPath;
    } catch (const Failure& failure) {
        Expect(failure.kind == FailureKind::PointerFileEmpty);
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // A first line that names a key in one of the file's forms, with a line end.
    const int form = input.ConsumeIntegralInRange(0, 3); // ANSI, UTF-8, UTF-16 LE and BE
    std::string line = input.ConsumeRandomLengthString(300);
    std::erase_if(line, [](char c) { return c == '"' || c == ',' || c == '\r' || c == '\n'; });
    line = "K" + line + "\r\n"; // a key path, which no byte-order mark begins
    std::string first = form == 1 ? "\xEF\xBB\xBF" + line : line;
    if (form >= 2) {
        first = form == 2 ? "\xFF\xFE" : "\xFE\xFF";
        for (const char c : line) {
            first += form == 2 ? std::string{c, '\0'} : std::string{'\0', c};
        }
    }
    const std::string after = input.ConsumeRemainingBytesAsString();

    const auto named = Read(first);
    Expect(named.has_value() && named->has_value());
    Expect(Read(first + after) == named);
    Read(after); // any bytes at all
    return 0;
}
