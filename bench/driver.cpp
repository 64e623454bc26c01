// Measures what Pelorin costs a user at every start: the time from starting Pelorin.exe report.dat
// to the moment the Java runtime (the stand-in) starts, against the floor starter on the same
// command line, in alternating runs.
//   bench_driver <Pelorin.exe> <floor.exe> <record file> <runs>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Sample {
    double milliseconds = 0;
};

// The stand-in's record: fields separated by NULs; the second is the command line, the sixth the
// performance counter when it started.
std::vector<std::wstring> ReadRecord(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::copy(bytes.begin(), bytes.begin() + static_cast<long>(text.size() * sizeof(wchar_t)),
              reinterpret_cast<char*>(text.data()));
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    return fields;
}

bool RunOnce(const std::wstring& program, const std::wstring& commandLine,
             const std::wstring& record, Sample& sample, std::wstring* launched = nullptr) {
    DeleteFileW(record.c_str());
    std::wstring writable = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency;
    LARGE_INTEGER before;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    if (!CreateProcessW(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fwprintf(stderr, L"could not start %ls\n", program.c_str());
        return false;
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::vector<std::wstring> fields;
    for (int i = 0; i < 10000 && fields.size() != 6; ++i) {
        if (GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
            fields = ReadRecord(record);
        }
        if (fields.size() != 6) {
            Sleep(1);
        }
    }
    if (fields.size() != 6) {
        std::fwprintf(stderr, L"the runtime was not started by %ls\n", program.c_str());
        return false;
    }
    const long long started = std::stoll(fields[5]);
    sample.milliseconds = static_cast<double>(started - before.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart);
    if (launched != nullptr) {
        *launched = fields[1];
    }
    // Let the stand-in finish before the next run.
    if (const HANDLE runtime = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(fields[4]))) {
        WaitForSingleObject(runtime, 10000);
        CloseHandle(runtime);
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) {
        std::fwprintf(stderr, L"usage: bench_driver <Pelorin.exe> <floor.exe> <record> <runs>\n");
        return 2;
    }
    const std::wstring pelorin = argv[1];
    const std::wstring floor = argv[2];
    const std::wstring record = argv[3];
    const int runs = std::max(1, _wtoi(argv[4]));
    SetEnvironmentVariableW(L"PELORIN_STANDIN_RECORD", record.c_str());

    const std::wstring pelorinCommand = L"\"" + pelorin + L"\" report.dat";
    Sample sample;
    std::wstring launchCommand;
    if (!RunOnce(pelorin, pelorinCommand, record, sample, &launchCommand)) {
        return 1;
    }
    const std::wstring floorCommand = L"\"" + floor + L"\" " + launchCommand;
    for (int warmUp = 0; warmUp < 3; ++warmUp) {
        if (!RunOnce(floor, floorCommand, record, sample) ||
            !RunOnce(pelorin, pelorinCommand, record, sample)) {
            return 1;
        }
    }

    std::vector<double> pelorinTimes, floorTimes;
    for (int run = 0; run < runs; ++run) {
        // Alternating, and each starting first in turn, so that neither gains from the other.
        for (int turn = 0; turn < 2; ++turn) {
            const bool pelorinTurn = (run + turn) % 2 == 0;
            if (!RunOnce(pelorinTurn ? pelorin : floor, pelorinTurn ? pelorinCommand : floorCommand,
                         record, sample)) {
                return 1;
            }
            (pelorinTurn ? pelorinTimes : floorTimes).push_back(sample.milliseconds);
        }
    }
    const double pelorinMedian = Median(pelorinTimes);
    const double floorMedian = Median(floorTimes);
    std::wprintf(L"launch command: %ls\n", launchCommand.c_str());
    std::wprintf(L"runs: %d of each, alternating, after 3 warm-up runs\n", runs);
    std::wprintf(L"Pelorin.exe report.dat to runtime start: median %.2f ms\n", pelorinMedian);
    std::wprintf(L"floor (CreateProcessW only) to runtime start: median %.2f ms\n", floorMedian);
    std::wprintf(L"ratio to the floor: %.3f (target at most 1.10)\n", pelorinMedian / floorMedian);
    return 0;
}
