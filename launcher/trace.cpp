#include "launcher/trace.h"

#include "launcher/text.h"
#include "pelorin_version.h"
#include "platform/platform.h"

#include <algorithm>

namespace {

// A number in at least this many digits, with leading zeros.
std::wstring Digits(std::uint64_t number, std::size_t width) {
    std::wstring digits = DecimalText(number);
    return std::wstring(width > digits.size() ? width - digits.size() : 0, L'0') + digits;
}

std::wstring Header() {
    const platform::LocalTime now = platform::Now();
    return L"Pelorin " PELORIN_VERSION_TEXT L" trace, " + Digits(now.year, 4) + L"-" +
           Digits(now.month, 2) + L"-" + Digits(now.day, 2) + L" " + Digits(now.hour, 2) + L":" +
           Digits(now.minute, 2) + L":" + Digits(now.second, 2) + L"." +
           Digits(now.millisecond, 3) + L", process " + DecimalText(platform::ProcessId());
}

} // namespace

Trace::Trace() noexcept {
    try {
        path_ = platform::EnvironmentVariable(L"PELORIN_TRACE");
        if (!path_.empty()) {
            started_ = platform::Microseconds();
            block_ = Header() + L"\r\n";
        }
    } catch (const std::exception&) {
        path_.clear(); // a trace that can't begin is no trace
    }
}

void Trace::Add(std::initializer_list<std::wstring_view> parts) {
    std::wstring text;
    for (const auto part : parts) {
        text += part;
    }
    std::erase(text, L'\r');
    const std::uint64_t tenths = (platform::Microseconds() - started_) / 100;
    std::wstring time = DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10) + L" ms";
    time.insert(0, time.size() < 10 ? 10 - time.size() : 0, L' ');
    // Text of several lines, such as a report, goes on lines of its own below the step's.
    std::wstring lines = time + L"  ";
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find(L'\n', start), text.size());
        if (end > start) {
            lines += (start == 0 ? L"" : L"\r\n" + std::wstring(12, L' ')) +
                     text.substr(start, end - start);
        }
    }
    block_ += lines + L"\r\n";
}

void Trace::Write() noexcept {
    if (path_.empty() || block_.empty()) {
        return;
    }
    try {
        platform::AppendToFile(path_, WideToUtf8(block_));
    } catch (const std::exception&) {
        // A trace file that is missing its folder, read-only or locked changes nothing of the run.
    }
    block_.clear();
}
