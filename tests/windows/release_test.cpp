// What a release manager checks before shipping Pelorin.exe: its version record and that it
// depends on nothing but DLLs that every Windows has.
#include "test_support.h"

#include <delayimp.h>

#include "pelorin_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path& Exe() {
    static const fs::path exe = test::ExeUnderTest();
    return exe;
}

TEST(VersionRecord, CarriesTheProductsNamesAndVersion) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(Exe().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> record(size);
    ASSERT_TRUE(GetFileVersionInfoW(Exe().c_str(), 0, size, record.data()));

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"ProductName", L"Pelorin"},
        {L"InternalName", L"Pelorin"},
        {L"OriginalFilename", L"Pelorin.exe"},
        {L"FileVersion", L"" PELORIN_VERSION_TEXT},
        {L"ProductVersion", L"" PELORIN_VERSION_TEXT},
        {L"Comments", L"For version 3.1.0 release"},
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

// The exe's headers, read as the architecture this test is built for: PE32 on x86, PE32+ on x64.
struct Image {
    explicit Image(std::string bytes) : bytes(std::move(bytes)) {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(this->bytes.data());
        nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(this->bytes.data() + dos->e_lfanew);
    }
    const IMAGE_SECTION_HEADER* SectionOf(ULONGLONG rva) const {
        const auto* sections = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            if (rva >= sections[i].VirtualAddress &&
                rva < sections[i].VirtualAddress + sections[i].Misc.VirtualSize) {
                return &sections[i];
            }
        }
        return nullptr;
    }
    // What lies at an address relative to the image's start, or null outside the file.
    const char* At(ULONGLONG rva) const {
        const auto* section = SectionOf(rva);
        const std::size_t offset =
            section ? rva - section->VirtualAddress + section->PointerToRawData : bytes.size();
        return offset < bytes.size() ? bytes.data() + offset : nullptr;
    }
    std::string bytes;
    const IMAGE_NT_HEADERS* nt = nullptr;
};

// The DLLs named in the exe's import directory, which the loader loads before it starts.
std::set<std::string> LoadTimeImports(const Image& image) {
    std::set<std::string> dlls;
    const auto& directory = image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.At(directory.VirtualAddress));
         entry->Name != 0; ++entry) {
        dlls.insert(Lower(image.At(entry->Name)));
    }
    return dlls;
}

// For each delay-loaded DLL, found by the record the linker left in the exe (attributes 1, then
// the name, module handle, slots and names as addresses in the image), whether each of its slots
// leads into code. Until the DLL is loaded a call goes where its slot leads.
std::map<std::string, std::vector<bool>> DelayLoadSlots(const Image& image) {
    std::map<std::string, std::vector<bool>> slots;
    for (std::size_t at = 0; at + sizeof(ImgDelayDescr) <= image.bytes.size(); at += 4) {
        const auto* record = reinterpret_cast<const ImgDelayDescr*>(image.bytes.data() + at);
        const char* name = record->grAttrs == 1 ? image.At(record->rvaDLLName) : nullptr;
        if (name == nullptr || (Lower(name) != "user32.dll" && Lower(name) != "gdi32.dll")) {
            continue;
        }
        const auto* names = reinterpret_cast<const ULONG_PTR*>(image.At(record->rvaINT));
        const auto* slot = reinterpret_cast<const ULONG_PTR*>(image.At(record->rvaIAT));
        for (; names != nullptr && slot != nullptr && *names != 0; ++names, ++slot) {
            const auto* section = image.SectionOf(*slot - image.nt->OptionalHeader.ImageBase);
            slots[Lower(name)].push_back(section != nullptr &&
                                         (section->Characteristics & IMAGE_SCN_MEM_EXECUTE));
        }
    }
    return slots;
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
    const Image image(ReadAll(Exe()));
    ASSERT_GT(image.bytes.size(), 1024u);
    // A GUI program for the architecture of this test: PE32 for x86, PE32+ for x64.
    EXPECT_EQ(image.nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR_MAGIC);
    EXPECT_EQ(image.nt->FileHeader.Machine,
              sizeof(void*) == 4 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(image.nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // Windows Vista or later, as the functions it imports need.
    EXPECT_EQ(image.nt->OptionalHeader.MajorSubsystemVersion, 6);
    EXPECT_EQ(image.nt->OptionalHeader.MinorSubsystemVersion, 0);
    EXPECT_EQ(LoadTimeImports(image), (std::set<std::string>{"kernel32.dll", "msvcrt.dll"}))
        << "the registry and window libraries must not be loaded before they are needed";
    const auto delayLoaded = DelayLoadSlots(image);
    EXPECT_EQ(delayLoaded.size(), 2u) << "user32.dll and gdi32.dll, loaded on first use";
    for (const auto& [dll, intoCode] : delayLoaded) {
        EXPECT_FALSE(intoCode.empty()) << dll;
        EXPECT_EQ(std::count(intoCode.begin(), intoCode.end(), false), 0) << dll << " slots";
    }
    // The 32-bit GCC runtime's start-up code asks GetModuleHandleA whether libgcc_s_dw2-1.dll is
    // already loaded, to share its exception tables; that never loads it.
    const std::vector<std::string> allowed = {
        "advapi32.dll",      "api-ms-win-core-registry-l1-1-0.dll",
        "gdi32.dll",         "kernel32.dll",
        "msvcrt.dll",        "user32.dll",
        "libgcc_s_dw2-1.dll"};
    for (const auto& name : UnknownDllNames(image.bytes, allowed)) {
        ADD_FAILURE() << "Pelorin.exe names another DLL: " << name;
    }
}

// The application manifest: the architecture it was built for, no elevation, DPI awareness.
TEST(ExecutableResources, ManifestNamesItsArchitectureAndAsksNoElevation) {
    const HMODULE module = LoadLibraryExW(
        Exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    FreeLibrary(module);
    for (const char* part :
         {sizeof(void*) == 4 ? "processorArchitecture=\"x86\"" : "processorArchitecture=\"amd64\"",
          "level=\"asInvoker\"", ">PerMonitorV2, PerMonitor<"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

TEST(Size, ReleaseExeIsAtMost256KiB) {
    EXPECT_LE(fs::file_size(Exe()), 256u * 1024u);
}

} // namespace
