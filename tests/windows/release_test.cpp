// What a release manager checks before shipping Pelorin.exe: its version record and that it
// depends on nothing but DLLs that every Windows has.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path& Exe() {
    static const fs::path exe = test::BuildDirectory() / "Pelorin.exe";
    return exe;
}

TEST(VersionRecord, CarriesTheProductsNamesAndVersion) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(Exe().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(Exe().c_str(), 0, size, record.data()));

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"ProductName", L"Pelorin"},          {L"InternalName", L"Pelorin"},
        {L"OriginalFilename", L"Pelorin.exe"}, {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},          {L"Comments", L"For version 3.1.0 release"},
    };
    for (const auto& [name, expected] : strings) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueW(record.data(), query.c_str(), &value, &length))
            << test::Utf8(name);
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), expected) << test::Utf8(name);
    }

    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(translation)[0], 0x0409);
    EXPECT_EQ(static_cast<const WORD*>(translation)[1], 0x04B0);

    void* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", &fixed, &length));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(info->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info->dwFileVersionLS, 0u);
    EXPECT_EQ(info->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info->dwProductVersionLS, 0u);
    EXPECT_EQ(info->dwFileType, static_cast<DWORD>(VFT_APP));
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The DLLs named in the exe's import directory, which the loader loads before it starts.
std::set<std::string> LoadTimeImports(const std::string& image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    const auto* sections = IMAGE_FIRST_SECTION(nt);
    const auto offsetOf = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto& section = sections[i];
            if (rva >= section.VirtualAddress &&
                rva < section.VirtualAddress + section.Misc.VirtualSize) {
                return rva - section.VirtualAddress + section.PointerToRawData;
            }
        }
        return 0;
    };
    std::set<std::string> dlls;
    const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             image.data() + offsetOf(directory.VirtualAddress));
         entry->Name != 0; ++entry) {
        dlls.insert(Lower(image.data() + offsetOf(entry->Name)));
    }
    return dlls;
}

// Every ".dll" written in the exe, in ANSI or UTF-16 text, ends the name of an allowed DLL: the
// exe can load nothing else later. Gives the text before each one that doesn't.
std::vector<std::string> UnknownDllNames(const std::string& image,
                                         const std::vector<std::string>& allowed) {
    std::string narrow; // the UTF-16 text with its zero bytes taken out
    for (std::size_t i = 0; i + 1 < image.size(); i += 2) {
        narrow.push_back(image[i + 1] == '\0' ? image[i] : '\0');
    }
    std::vector<std::string> unknown;
    for (const std::string& text : {Lower(image), Lower(narrow)}) {
        for (std::size_t at = text.find(".dll"); at != std::string::npos;
             at = text.find(".dll", at + 4)) {
            const std::size_t end = at + 4;
            const bool known = std::any_of(allowed.begin(), allowed.end(), [&](const auto& name) {
                return end >= name.size() &&
                       text.compare(end - name.size(), name.size(), name) == 0;
            });
            if (!known) {
                unknown.push_back(text.substr(end - std::min<std::size_t>(end, 24), 24));
            }
        }
    }
    return unknown;
}

TEST(Dependencies, OnlyDllsThatShipWithWindows) {
    const std::string image = ReadAll(Exe());
    ASSERT_GT(image.size(), 1024u);
    EXPECT_EQ(LoadTimeImports(image), (std::set<std::string>{"kernel32.dll", "msvcrt.dll"}))
        << "the registry and window libraries must not be loaded before they are needed";
    const std::vector<std::string> allowed = {"advapi32.dll", "api-ms-win-core-registry-l1-1-0.dll",
                                              "gdi32.dll",    "kernel32.dll",
                                              "msvcrt.dll",   "user32.dll"};
    for (const auto& name : UnknownDllNames(image, allowed)) {
        ADD_FAILURE() << "Pelorin.exe names another DLL: " << name;
    }
}

TEST(Size, ReleaseExeIsAtMost256KiB) {
    EXPECT_LE(fs::file_size(Exe()), 256u * 1024u);
}

} // namespace
