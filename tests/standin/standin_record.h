// What the stand-in Java runtime writes down about how it was started, and how to read it back.
// The record holds the fields of tests/standin/record_fields in UTF-16, each followed by a NUL; the
// stand-in renames it into place whole.
#pragma once

#include "record_fields.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace standin {

struct Record {
    std::wstring module;
    std::wstring commandLine;
    std::wstring directory;
    std::wstring showState; // the wShowWindow it was given, or "none"
    unsigned long processId = 0;
    long long startedAt = 0; // the performance counter when it started
    // Its ProgramFiles variable: a 32-bit program gets Program Files (x86).
    std::wstring programFiles;
    // The command line as the Java runtime reads it: GetCommandLineA, in the ANSI code page.
    std::wstring ansiCommandLine;
};

// The record at path; none when there is no whole record there.
inline std::optional<Record> ReadRecord(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L'\0', start)) != std::wstring::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    if (fields.size() != FieldCount) {
        return std::nullopt;
    }
    return Record{
        fields[module],       fields[commandLine],           fields[directory],
        fields[showState],    std::stoul(fields[processId]), std::stoll(fields[startedAt]),
        fields[programFiles], fields[ansiCommandLine]};
}

} // namespace standin
