// Measures what Pelorin costs a user at every start: the time from starting Pelorin.exe report.dat
// to the moment the Java runtime (the stand-in) starts, against the floor starter on the same
// command line, in alternating runs.
//   bench_driver <Pelorin.exe> <floor.exe> <record file> <runs>
#include <windows.h>

#include "tests/standin/standin_record.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Sample {
    double milliseconds = 0;
};

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

    std::optional<standin::Record> seen;
    for (int i = 0; i < 10000 && !seen; ++i) {
        if (GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
            seen = standin::ReadRecord(record);
        }
        if (!seen) {
            Sleep(1);
        }
    }
    if (!seen) {
        std::fwprintf(stderr, L"the runtime was not started by %ls\n", program.c_str());
        return false;
    }
    sample.milliseconds = static_cast<double>(seen->startedAt - before.QuadPart) * 1000.0 /
                          static_cast<double>(frequency.QuadPart);
    if (launched != nullptr) {
        *launched = seen->commandLine;
    }
    // Let the stand-in finish before the next run.
    if (const HANDLE runtime = OpenProcess(SYNCHRONIZE, FALSE, seen->processId)) {
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
