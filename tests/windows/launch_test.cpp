// Runs the real Pelorin.exe in a throwaway installation: its own folder with JRE.pelorin, a Java
// home whose bin\javaw.exe is the stand-in, a java.exe stand-in on the search path, and the
// JavaHome value written to the registry.
#include "test_support.h"
#include "tests/expected_usage_text.h"

#include "pelorin_version.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <winioctl.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

constexpr DWORD RecordWaitMs = 15000;

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override { Install(L"app"); }

    // Lays out a fresh installation whose program folder has the given name.
    void Install(const std::wstring& appFolder) {
        const std::string testName =
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
        root = fs::temp_directory_path() / "pelorin-tests" / testName;
        RemoveRoot();
        app = root / appFolder;
        home = root / "jre";
        searchDir = root / "path";
        dataDir = root / "data";
        record = root / "record.bin";
        for (const auto& dir : {app, home / "bin", searchDir, dataDir}) {
            fs::create_directories(dir);
        }
        const fs::path build = test::BuildDirectory();
        fs::copy_file(build / "Pelorin.exe", app / "Pelorin.exe");
        fs::copy_file(build / "standin_java.exe", home / "bin" / "javaw.exe");
        fs::copy_file(build / "standin_java.exe", searchDir / "java.exe");

        SetEnvironmentVariableW(L"PELORIN_STANDIN_RECORD", record.c_str());
        wchar_t path[32768];
        const DWORD length = GetEnvironmentVariableW(L"PATH", path, 32768);
        originalPath.assign(path, length);
        SetEnvironmentVariableW(L"PATH", (searchDir.wstring() + L";" + originalPath).c_str());

        key = std::make_unique<test::ScratchKey>("SOFTWARE\\PelorinTests\\" + testName);
        WritePointerFile(key->path() + "\r\n");
    }

    // A fresh installation for each row of a table.
    void Fresh(const std::wstring& appFolder = L"app") {
        TearDown();
        Install(appFolder);
    }

    void TearDown() override {
        for (const auto& file : placed) {
            std::error_code ignored;
            fs::remove(file, ignored);
        }
        SetEnvironmentVariableW(L"PATH", originalPath.c_str());
        SetEnvironmentVariableW(L"PELORIN_STANDIN_HOLD", nullptr);
        SetEnvironmentVariableW(L"PELORIN_TRACE", nullptr);
        key.reset();
        RemoveRoot();
    }

    // By its extended-length name, so that folders deeper than MAX_PATH go too.
    void RemoveRoot() const {
        std::error_code ignored;
        fs::remove_all(L"\\\\?\\" + root.wstring(), ignored);
    }

    void WritePointerFile(const std::string& bytes) {
        test::WriteBytes(app / "JRE.pelorin", bytes);
    }

    void SetJavaHome(REGSAM view = KEY_WOW64_32KEY, DWORD type = REG_SZ,
                     const std::string& subKey = "") {
        key->Set(view, subKey, "JavaHome", type, home.string() + std::string(1, '\0'));
    }

    // As installers write it, through the wide API: whatever characters the path holds.
    static void SetJavaHomeInUnicode(const std::wstring& keyPath, const fs::path& javaHome) {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        const std::wstring text = javaHome.wstring();
        RegSetValueExW(created, L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(created);
    }

    test::RunResult Run(const std::wstring& afterProgramName, DWORD pipeBytes = 1 << 16) {
        const fs::path exe = app / "Pelorin.exe";
        return test::RunAndAnswer(exe, L"\"" + exe.wstring() + L"\"" + afterProgramName, dataDir,
                                  pipeBytes);
    }

    std::wstring Primary(const std::wstring& tail, const fs::path& javaHome = {}) const {
        return L"\"" + (javaHome.empty() ? home : javaHome).wstring() +
               L"\\bin\\javaw.exe\" -jar \"" + app.wstring() + L"\\Virelt.jar\" " + tail;
    }
    std::wstring Fallback(const std::wstring& tail) const {
        return L"java.exe -jar \"" + app.wstring() + L"\\Virelt.jar\" " + tail;
    }

    // The run ended with 0, showed nothing, and the stand-in at module got exactly command, and,
    // when a variable of this test is named, that variable's value as its ProgramFiles.
    void ExpectLaunched(const test::RunResult& result, const fs::path& module,
                        const std::wstring& command, const wchar_t* programFilesLike = nullptr) {
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_TRUE(result.messageBoxes.empty());
        const auto seen = test::WaitForRecord(record, RecordWaitMs);
        ASSERT_TRUE(seen.has_value()) << "the Java runtime was not started";
        EXPECT_EQ(test::Utf8(seen->commandLine), test::Utf8(command));
        EXPECT_TRUE(fs::equivalent(seen->module, module)) << test::Utf8(seen->module);
        EXPECT_TRUE(fs::equivalent(seen->directory, dataDir)) << test::Utf8(seen->directory);
        // The launch asks for ShowState::Normal, which Windows gets as SW_SHOWNORMAL.
        EXPECT_EQ(seen->showState, std::to_wstring(SW_SHOWNORMAL));
        if (programFilesLike != nullptr) {
            wchar_t value[MAX_PATH] = L"";
            GetEnvironmentVariableW(programFilesLike, value, MAX_PATH);
            EXPECT_EQ(test::Utf8(seen->programFiles), test::Utf8(value));
        }
        fs::remove(record);
    }

    fs::path root, app, home, searchDir, dataDir, record;
    std::vector<fs::path> placed; // files outside root that the test placed
    std::wstring originalPath;
    std::unique_ptr<test::ScratchKey> key;
};

struct ArgumentCase {
    const wchar_t* afterProgramName;
    const wchar_t* expectedTail;
};

TEST_F(LaunchTest, StartsJavawWithExactlyTheDocumentedCommandLine) {
    SetJavaHome();
    const ArgumentCase cases[] = {
        {L" report.dat", L" -e report.dat"},
        {L"", L""},
        {L"    ", L""},
        {L"   -v  a.dat  ", L"-v  a.dat"},
        {L" report.dat\t", L" -e report.dat\t"},
        {L"\treport.dat", L" -e report.dat"},
        {L" -s \"my file.dat\" out.html", L"-s \"my file.dat\" out.html"},
        {L" \"C:\\My Data\\a,b.dat\"", L" -e \"C:\\My Data\\a,b.dat\""},
        {L" -\u00E9\u00C5.dat", L" -e -\u00E9\u00C5.dat"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::Utf8(c.afterProgramName));
        ExpectLaunched(Run(c.afterProgramName), home / "bin" / "javaw.exe",
                       Primary(c.expectedTail));
    }
}

TEST_F(LaunchTest, ReadsJavaHomeFromEitherRegistryViewOrFallsBackToJavaExe) {
    struct RegistryCase {
        const char* name;
        std::function<void()> arrange;
        bool primary;
    };
    const RegistryCase cases[] = {
        {"REG_SZ, 32-bit view", [&] { SetJavaHome(KEY_WOW64_32KEY); }, true},
        {"REG_SZ, 64-bit view only", [&] { SetJavaHome(KEY_WOW64_64KEY); }, true},
        {"a runtime in each view: the 32-bit one",
         [&] {
             SetJavaHome(KEY_WOW64_32KEY);
             fs::create_directories(root / "jre64" / "bin");
             fs::copy_file(test::BuildDirectory() / "standin_java.exe",
                           root / "jre64" / "bin" / "javaw.exe", fs::copy_options::skip_existing);
             key->Set(KEY_WOW64_64KEY, "", "JavaHome", REG_SZ, (root / "jre64").string() + '\0');
         },
         true},
        {"REG_EXPAND_SZ", [&] { SetJavaHome(KEY_WOW64_32KEY, REG_EXPAND_SZ); }, false},
        {"value missing",
         [&] { key->Set(KEY_WOW64_32KEY, "", "Other", REG_SZ, home.string() + '\0'); }, false},
        {"key missing", [] {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        key = std::make_unique<test::ScratchKey>(key->path()); // drops what the last case wrote
        c.arrange();
        const auto result = Run(L" report.dat");
        if (c.primary) {
            ExpectLaunched(result, home / "bin" / "javaw.exe", Primary(L" -e report.dat"));
        } else {
            ExpectLaunched(result, searchDir / "java.exe", Fallback(L" -e report.dat"));
        }
    }
}

TEST_F(LaunchTest, UsesAJavaHomeOnlyWhenItIsAWholeFolderPathWithoutAQuote) {
    // A javaw.exe planted where a relative Java home would lead: in the folder of the opened data
    // file, which is the current directory.
    fs::create_directories(dataDir / "jre" / "bin");
    fs::copy_file(test::BuildDirectory() / "standin_java.exe",
                  dataDir / "jre" / "bin" / "javaw.exe");
    struct HomeCase {
        std::wstring value;
        bool used;
    };
    const HomeCase cases[] = {
        {home.wstring() + L"\\bin\\javaw.exe\" x", false},
        {L"jre", false},
        {L"..\\jre", false},
        {L"\\" + (home.wstring().substr(3)), false},   // the Java home, less its drive letter
        {home.wstring().substr(0, 2) + L"jre", false}, // C:jre, the current directory's jre
        {home.wstring(), true},
        {home.wstring() + L"\\", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::Utf8(c.value));
        key->Set(KEY_WOW64_32KEY, "", "JavaHome", REG_SZ, test::Utf8(c.value) + '\0');
        if (c.used) {
            ExpectLaunched(Run(L" report.dat"), home / "bin" / "javaw.exe",
                           L"\"" + c.value + L"\\bin\\javaw.exe\" -jar \"" + app.wstring() +
                               L"\\Virelt.jar\"  -e report.dat");
        } else {
            ExpectLaunched(Run(L" report.dat"), searchDir / "java.exe",
                           Fallback(L" -e report.dat"));
        }
    }
}

// Every row starts the runtime that is really there, under the 64-bit view's home, as Pelorin
// finds it: the 32-bit view's value names no runtime, and the program's own name comes unquoted,
// as a starter that names the exe apart hands it over.
TEST_F(LaunchTest, TakesTheRuntimeThatIsThereAndItsOwnNameAsWindowsFoundIt) {
    Install(L"Program Files\\Virelt");
    const fs::path exe = app / "Pelorin.exe";
    const std::wstring quoted = L"\"" + exe.wstring() + L"\" report.dat";
    const std::wstring gone = (root / "Java" / "jre1.8.0_201").wstring();
    std::wstring lowerCase = exe.wstring();
    CharLowerW(lowerCase.data());
    std::wstring slashes = exe.wstring();
    std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
    std::wstring spaced = exe.wstring(); // C:\...\Program" "Files\Virelt\Pelorin.exe
    spaced.replace(spaced.find(L"Program Files"), 13, L"Program\" \"Files");
    wchar_t shortApp[MAX_PATH] = L"";
    GetShortPathNameW(app.c_str(), shortApp, MAX_PATH);
    const std::pair<std::wstring, std::wstring> cases[] = {
        // 32-bit JavaHome, command line
        {gone, quoted},
        {L"\\\\", quoted},
        {L"\\\\\\", quoted},
        {home.wstring() + L"\r\n", quoted},
        {gone, (app / "Pelorin").wstring() + L" report.dat"},
        {gone, L"..\\Program Files\\Virelt\\Pelorin.exe report.dat"},
        {gone, slashes + L" report.dat"},
        {gone, lowerCase.substr(0, lowerCase.size() - 4) + L" report.dat"},
        // The same file however spelled, and quotes as cmd.exe passes them on.
        {gone, L"\"" + (root / "Program Files").wstring() + L"\"\\Virelt\\Pelorin.exe report.dat"},
        {gone, spaced + L" report.dat"},
        {gone, exe.wstring() + L". report.dat"},
        {gone, std::wstring(shortApp) + L"\\Pelorin.exe report.dat"},
        {gone, L"\\\\?\\" + exe.wstring() + L" report.dat"},
    };
    key->Set(KEY_WOW64_64KEY, "", "JavaHome", REG_SZ, home.string() + '\0');
    for (const auto& [javaHome32, commandLine] : cases) {
        SCOPED_TRACE(test::Utf8(javaHome32 + L" | " + commandLine));
        key->Set(KEY_WOW64_32KEY, "", "JavaHome", REG_SZ, test::Utf8(javaHome32) + '\0');
        ExpectLaunched(test::RunAndAnswer(exe, commandLine, dataDir), home / "bin" / "javaw.exe",
                       Primary(L" -e report.dat"));
    }
}

TEST_F(LaunchTest, ReadsNoMoreOfAHugePointerFileThanItsFirstItem) {
    SetJavaHome();
    // 64 GiB of NULs after the first line, sparse: more than a run could read or hold. Not
    // fs::resize_file: the C runtime refuses a size beyond the disk's free space, sparse or not.
    const HANDLE file = CreateFileW((app / "JRE.pelorin").c_str(), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD unused = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = 64ll << 30;
    const bool grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(grown);
    ASSERT_EQ(fs::file_size(app / "JRE.pelorin"), 64ull << 30);
    ExpectLaunched(Run(L" report.dat"), home / "bin" / "javaw.exe", Primary(L" -e report.dat"));
}

// The Java runtime reads its command line in the ANSI code page, which Wine takes from the locale:
// what it reads there names the files the user meant, or nothing is started.
TEST_F(LaunchTest, TheRuntimesAnsiReadingNamesTheSameFilesOrNothingStarts) {
    struct AnsiCase {
        const char* name;
        const wchar_t* locale; // 1252, or 932 for Japanese
        std::wstring appFolder, homeFolder, dataFile, arguments;
        DWORD status;
    };
    const wchar_t* const ja = L"ja_JP.UTF-8";
    const std::wstring quotes = L"a\uFF02 -s \uFF02x.dat";
    const AnsiCase cases[] = {
        {"a data file outside the code page", L"C.UTF-8", L"app", L"jre", L"\u0141odz.dat",
         L" \u0141odz.dat", 0},
        {"fullwidth quotes in a file's name", L"C.UTF-8", L"app", L"jre", quotes,
         L" \"" + quotes + L"\"", 0},
        {"fullwidth quotes in a file that is not there", L"C.UTF-8", L"app", L"jre", L"",
         L" \"" + quotes + L"\"", 6},
        {"an install folder and a Java home outside the code page", L"C.UTF-8",
         L"app-\u00C5\u03A9\u65E5\u672C", L"jre-\u03A9", L"", L"", 0},
        {"a soft hyphen in code page 932", ja, L"app", L"jre", L"\u00ADx.dat", L" \u00ADx.dat", 0},
        {"CJK that code page 932 holds", ja, L"app", L"jre", L"\u6587.dat", L" \u6587.dat", 0},
        {"a Greek folder that neither the page nor a short name holds", ja, L"app", L"jre", L"",
         L" \u03A9\\x.dat", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh(c.appFolder);
        home = root / c.homeFolder;
        fs::create_directories(home / "bin");
        fs::copy_file(test::BuildDirectory() / "standin_java.exe", home / "bin" / "javaw.exe",
                      fs::copy_options::skip_existing);
        test::WriteBytes(app / "Virelt.jar", "archive");
        if (!c.dataFile.empty()) {
            test::WriteBytes(dataDir / c.dataFile, "data");
        }
        SetJavaHomeInUnicode(std::wstring(key->path().begin(), key->path().end()), home);
        SetEnvironmentVariableW(L"PELORIN_TRACE", (root / "trace.txt").c_str());
        SetEnvironmentVariableW(L"LC_ALL", c.locale);
        const auto result = Run(c.arguments);
        SetEnvironmentVariableW(L"LC_ALL", nullptr);
        EXPECT_EQ(result.exitCode, c.status);
        const auto seen = test::WaitForRecord(record, c.status == 0 ? RecordWaitMs : 1000);
        ASSERT_EQ(seen.has_value(), c.status == 0) << "started exactly when the run succeeds";
        if (c.status != 0) {
            ASSERT_EQ(result.messageBoxes.size(), 1u);
            EXPECT_NE(result.messageBoxes[0].find(c.locale == ja ? L"which lacks"
                                                                 : L"code page 1252, which lacks"),
                      std::wstring::npos);
            continue;
        }
        int count = 0;
        wchar_t** const split = CommandLineToArgvW(seen->ansiCommandLine.c_str(), &count);
        const std::vector<std::wstring> read(split, split + count);
        LocalFree(split);
        ASSERT_EQ(read.size(), c.dataFile.empty() ? 3u : 5u) << test::Utf8(seen->ansiCommandLine);
        EXPECT_TRUE(fs::equivalent(read[0], home / "bin" / "javaw.exe")) << test::Utf8(read[0]);
        EXPECT_EQ(read[1], L"-jar");
        EXPECT_TRUE(fs::equivalent(read[2], app / "Virelt.jar")) << test::Utf8(read[2]);
        if (!c.dataFile.empty()) {
            EXPECT_EQ(read[3], L"-e");
            EXPECT_TRUE(fs::equivalent(dataDir / read[4], dataDir / c.dataFile))
                << test::Utf8(read[4]);
        }
        // The program handed to CreateProcessW is the one the command line names first.
        std::ifstream in(root / "trace.txt", std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find("starting: " + test::Utf8(read[0]) + "\r\n"), std::string::npos)
            << text;
        // The ANSI code page, not the OEM one (437).
        EXPECT_TRUE(c.locale == ja || text.find(" in code page 1252") != std::string::npos);
    }
}

TEST_F(LaunchTest, EachFailureShowsAReportEndsWithItsStatusAndStartsNothing) {
    // A runtime uninstalled since goes by the name the registry gives, which the report names.
    const auto goneHome = [&](const fs::path& javaHome) {
        home = javaHome;
        SetJavaHomeInUnicode(std::wstring(key->path().begin(), key->path().end()), home);
    };
    struct FailureCase {
        const char* name;
        std::function<void()> arrange;
        DWORD exitCode;
        std::function<std::vector<std::wstring>()> mentions;
    };
    const FailureCase cases[] = {
        {"pointer file missing", [&] { fs::remove(app / "JRE.pelorin"); }, 2,
         [&] {
             return std::vector<std::wstring>{L"File not found", (app / "JRE.pelorin").wstring()};
         }},
        {"pointer file missing, outside ASCII: the whole report on standard error, in UTF-8",
         [&] {
             Install(L"app \u65E5\u672C");
             fs::remove(app / "JRE.pelorin");
         },
         2, [&] { return std::vector<std::wstring>{(app / "JRE.pelorin").wstring()}; }},
        {"pointer file empty", [&] { WritePointerFile(""); }, 3,
         [&] {
             return std::vector<std::wstring>{L"Input past end of file",
                                              (app / "JRE.pelorin").wstring()};
         }},
        {"javaw.exe missing under the Java home",
         [&] {
             SetJavaHome();
             fs::remove(home / "bin" / "javaw.exe");
         },
         4,
         [&] {
             return std::vector<std::wstring>{L"Cannot start process", Primary(L" -e report.dat"),
                                              L"CreateProcessW"};
         }},
        {"javaw.exe is no program: the system's text names it",
         [&] {
             SetJavaHome();
             test::WriteBytes(home / "bin" / "javaw.exe", "no program");
         },
         4,
         [&] { // Wine's words for error 193, its %1 filled in
             return std::vector<std::wstring>{L"Reason: Bad EXE format for " +
                                              (home / "bin" / "javaw.exe").wstring() + L"."};
         }},
        {"a Java home gone, its name outside the code page",
         [&] { goneHome(root / L"J\u014Dva" / "jre"); }, 4,
         [&] { return std::vector<std::wstring>{Primary(L" -e report.dat")}; }},
        {"a Java home gone from a folder outside the code page",
         [&] {
             fs::create_directories(root / L"J\u0101va gone");
             goneHome(root / L"J\u0101va gone" / "sub");
         },
         4, [&] { return std::vector<std::wstring>{Primary(L" -e report.dat")}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange();
        const auto result = Run(L" report.dat");
        EXPECT_EQ(result.exitCode, c.exitCode);
        ASSERT_EQ(result.messageBoxes.size(), 1u);
        for (const auto& mention : c.mentions()) {
            EXPECT_NE(result.messageBoxes[0].find(mention), std::wstring::npos)
                << test::Utf8(result.messageBoxes[0]) << "\nlacks: " << test::Utf8(mention);
        }
        EXPECT_EQ(result.standardError, "Pelorin: " + test::Utf8(result.messageBoxes[0]) + "\r\n");
        EXPECT_FALSE(test::WaitForRecord(record, 1000).has_value()) << "something was started";
    }
}

TEST_F(LaunchTest, EndsWhileTheApplicationKeepsRunning) {
    SetJavaHome();
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"PelorinTestsRelease");
    ASSERT_NE(release, nullptr);
    SetEnvironmentVariableW(L"PELORIN_STANDIN_HOLD", L"PelorinTestsRelease");
    const auto result = Run(L" report.dat");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_FALSE(result.standardErrorHeld) << "the application holds the caller's pipe";
    const auto seen = test::WaitForRecord(record, RecordWaitMs);
    ASSERT_TRUE(seen.has_value());
    const HANDLE application = OpenProcess(SYNCHRONIZE, FALSE, seen->processId);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(WaitForSingleObject(application, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the application ended before Pelorin.exe returned";
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(application, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(application);
    CloseHandle(release);
}

} // namespace

namespace {

bool Has(const std::vector<std::wstring>& dlls, const wchar_t* name) {
    return std::find(dlls.begin(), dlls.end(), name) != dlls.end();
}

TEST_F(LaunchTest, LaunchPathLoadsNoRegistryOrWindowLibraries) {
    SetJavaHome();
    const fs::path exe = app / "Pelorin.exe";
    SetEnvironmentVariableW(L"PELORIN_TRACE", (root / "trace.txt").c_str()); // the trace needs none
    const auto launched = test::LoadedDlls(exe, L"\"" + exe.wstring() + L"\" report.dat", dataDir);
    EXPECT_TRUE(Has(launched, L"kernel32.dll")) << "the list of loaded DLLs is incomplete";
    for (const wchar_t* unneeded : {L"user32.dll", L"gdi32.dll", L"advapi32.dll"}) {
        EXPECT_FALSE(Has(launched, unneeded)) << test::Utf8(unneeded);
    }
    EXPECT_TRUE(test::WaitForRecord(record, RecordWaitMs).has_value());

    // A failure report needs them, and gets them.
    fs::remove(app / "JRE.pelorin");
    const auto reported = test::LoadedDlls(exe, L"\"" + exe.wstring() + L"\" report.dat", dataDir);
    EXPECT_TRUE(Has(reported, L"user32.dll"));
}

} // namespace

namespace {

TEST_F(LaunchTest, ReportsACommandLineTooLongForWindowsInsteadOfCuttingIt) {
    SetJavaHome();
    const std::wstring exeQuoted = L"\"" + (app / "Pelorin.exe").wstring() + L"\"";
    // Pelorin's own command line is as long as Windows allows; the launch command is longer.
    const std::wstring arguments(32766 - exeQuoted.size() - 1, L'x');
    const auto result = Run(L" " + arguments);
    EXPECT_EQ(result.exitCode, 4u);
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    const std::wstring length = std::to_wstring(Primary(L" -e " + arguments).size());
    EXPECT_NE(result.messageBoxes[0].find(L"command line is " + length + L" characters long"),
              std::wstring::npos)
        << test::Utf8(result.messageBoxes[0].substr(0, 400));
    EXPECT_FALSE(test::WaitForRecord(record, 1000).has_value()) << "something was started";
}

TEST_F(LaunchTest, ReportsAndEndsThoughStandardErrorIsReadOnlyAfterTheEnd) {
    SetJavaHome();
    fs::remove(home / "bin" / "javaw.exe");
    // A report far longer than the pipe holds, which the caller reads only after the run: the
    // copy can't be delivered, but the report is shown and the run ends.
    const auto result = Run(L" " + std::wstring(20000, L'x'), 64);
    EXPECT_EQ(result.exitCode, 4u);
    EXPECT_EQ(result.messageBoxes.size(), 1u);
    EXPECT_LT(result.milliseconds, 8000u); // the copy is given a second, not ten
}

TEST_F(LaunchTest, WorksFromADriveRoot) {
    SetJavaHome();
    const fs::path rootExe = L"C:\\Pelorin.exe";
    fs::copy_file(app / "Pelorin.exe", rootExe, fs::copy_options::overwrite_existing);
    test::WriteBytes(L"C:\\JRE.pelorin", key->path() + "\r\n");
    const auto result = test::RunAndAnswer(rootExe, L"\"C:\\Pelorin.exe\" report.dat", dataDir);
    fs::remove(rootExe);
    fs::remove(L"C:\\JRE.pelorin");
    app = L"C:";
    ExpectLaunched(result, home / "bin" / "javaw.exe",
                   L"\"" + home.wstring() +
                       L"\\bin\\javaw.exe\" -jar \"C:\\Virelt.jar\"  -e report.dat");
}

// Key paths and Java homes written through the wide API by installers, with characters that the
// ANSI code page holds or doesn't, reached through each form of the pointer file: the runtime
// started is the one under the home as written.
TEST_F(LaunchTest, ReadsThePointerFileInEachEncodingAndTheRegistryInUnicode) {
    struct EncodingCase {
        const char* name;
        UINT codePage;
        std::string mark;
        std::wstring subKey;
        std::wstring homeFolder;
    };
    const EncodingCase cases[] = {
        {"ANSI", CP_ACP, "", L"Runtime \u00E9t\u00E9", L"J\u0430va \u65E5\u672C"},
        {"UTF-8", CP_UTF8, "\xEF\xBB\xBF", L"Runtime J\u0430va \u65E5\u672C", L"\u65E5\u672C jre"},
        {"UTF-16", 1200, "\xFF\xFE", L"Runtime \u65E5\u672C 16", L"jre16 \u0430"},
        {"UTF-16 big-endian", 1201, "\xFE\xFF", L"Runtime \u65E5\u672C BE", L"jre16be"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path javaHome = root / c.homeFolder;
        fs::create_directories(javaHome / "bin");
        fs::copy_file(test::BuildDirectory() / "standin_java.exe", javaHome / "bin" / "javaw.exe",
                      fs::copy_options::overwrite_existing);
        const std::wstring fullKey =
            std::wstring(key->path().begin(), key->path().end()) + L"\\" + c.subKey;
        SetJavaHomeInUnicode(fullKey, javaHome);

        const std::wstring line = fullKey + L"\r\n";
        std::string bytes;
        if (c.codePage == 1200 || c.codePage == 1201) { // UTF-16, little- or big-endian
            for (const wchar_t unit : line) {
                const char low = static_cast<char>(unit & 0xFF);
                const char high = static_cast<char>(unit >> 8);
                bytes += c.codePage == 1200 ? std::string{low, high} : std::string{high, low};
            }
        } else {
            bytes.resize(static_cast<std::size_t>(
                WideCharToMultiByte(c.codePage, 0, line.data(), static_cast<int>(line.size()),
                                    nullptr, 0, nullptr, nullptr)));
            WideCharToMultiByte(c.codePage, 0, line.data(), static_cast<int>(line.size()),
                                bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
        }
        WritePointerFile(c.mark + bytes);
        // A home outside the code page goes by its short name, whose form is the system's.
        EXPECT_EQ(Run(L" report.dat").exitCode, 0u);
        const auto seen = test::WaitForRecord(record, RecordWaitMs);
        ASSERT_TRUE(seen.has_value()) << "the Java runtime was not started";
        EXPECT_TRUE(fs::equivalent(seen->module, javaHome / "bin" / "javaw.exe"));
        EXPECT_TRUE(seen->commandLine.ends_with(L"\\bin\\javaw.exe\" -jar \"" + app.wstring() +
                                                L"\\Virelt.jar\"  -e report.dat"));
        fs::remove(record);
    }
}

TEST_F(LaunchTest, NeverStartsAJavaExePlantedInTheCurrentDirectory) {
    // No Java home: the java.exe fallback. The folder of the opened data file holds one too, and
    // the search path's first folder holds a folder of that name.
    fs::copy_file(test::BuildDirectory() / "standin_java.exe", dataDir / "java.exe");
    fs::create_directories(root / "path0" / "java.exe");
    SetEnvironmentVariableW(L"PATH",
                            ((root / "path0").wstring() + L";" + searchDir.wstring()).c_str());
    ExpectLaunched(Run(L" report.dat"), searchDir / "java.exe", Fallback(L" -e report.dat"));

    fs::remove(searchDir / "java.exe");
    const auto result = Run(L" report.dat");
    EXPECT_EQ(result.exitCode, 4u);
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    EXPECT_NE(result.messageBoxes[0].find(L"java.exe was found neither"), std::wstring::npos)
        << test::Utf8(result.messageBoxes[0]);
    EXPECT_FALSE(test::WaitForRecord(record, 1000).has_value()) << "the planted java.exe ran";
}

} // namespace

namespace {

// The trace's lines, in this order, each a whole line after its milliseconds.
void ExpectTraceLines(const fs::path& file, const std::vector<std::wstring>& lines) {
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::size_t at = 0;
    for (const auto& line : lines) {
        const std::string wanted =
            (line.starts_with(L"Pelorin ") || line.starts_with(L", ") ? "" : " ms  ") +
            test::Utf8(line);
        at = text.find(wanted, at);
        ASSERT_NE(at, std::string::npos) << "lacks [" << wanted << "] in order in:\n" << text;
    }
    EXPECT_EQ(text.rfind("\r\n"), text.size() - 2) << "CR LF line ends";
}

TEST_F(LaunchTest, TraceTellsEachStepAndChangesNothing) {
    const fs::path trace = root / "trace.txt";
    const std::wstring keyPath = std::wstring(key->path().begin(), key->path().end());
    const std::wstring registry = L"registry: HKEY_LOCAL_MACHINE\\" + keyPath;
    const fs::path javaw = home / "bin" / "javaw.exe";
    SetJavaHome();

    // Unset, then set: the same launch, and a trace only when set.
    ExpectLaunched(Run(L" report.dat"), javaw, Primary(L" -e report.dat"));
    EXPECT_FALSE(fs::exists(trace));
    SetEnvironmentVariableW(L"PELORIN_TRACE", trace.c_str());
    const auto today = [] {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        wchar_t date[16];
        swprintf(date, 16, L"%04u-%02u-%02u ", now.wYear, now.wMonth, now.wDay);
        return std::wstring(date);
    };
    const std::wstring day = today();
    const wchar_t* const options[] = {L"JDK_JAVA_OPTIONS", L"_JAVA_OPTIONS", L"JAVA_TOOL_OPTIONS"};
    for (const wchar_t* name : options) {
        SetEnvironmentVariableW(name,
                                name[0] == L'J' && name[1] == L'D' ? L"-D\u0141=1" : L"-Xmx8g");
    }
    const auto result = Run(L" report.dat");
    for (const wchar_t* name : options) {
        SetEnvironmentVariableW(name, nullptr);
    }
    const auto seen = test::WaitForRecord(record, RecordWaitMs);
    ASSERT_TRUE(seen.has_value());
    ExpectLaunched(result, javaw, Primary(L" -e report.dat"));
    ExpectTraceLines(
        trace,
        {L"Pelorin " PELORIN_VERSION_TEXT L" trace, " +
             (day == today() ? day : L""), // the date, unless it just changed
         L"command line: \"" + (app / "Pelorin.exe").wstring() + L"\" report.dat\r\n",
         L"arguments: [report.dat]\r\n",
         L"pointer file: " + (app / "JRE.pelorin").wstring() + L"\r\n",
         L"pointer file read as ANSI, first item: [" + keyPath + L"]\r\n",
         registry + L", 32-bit view: JavaHome = [" + home.wstring() + L"]\r\n",
         L"Java home: " + home.wstring() + L", from the 32-bit view\r\n",
         L"the Java runtime reads JDK_JAVA_OPTIONS = [-D\u0141=1]; code page 1252 lacks \u0141 "
         L"(U+0141)",
         L"the Java runtime reads _JAVA_OPTIONS = [-Xmx8g]\r\n",
         L"the Java runtime reads JAVA_TOOL_OPTIONS = [-Xmx8g]\r\n",
         L"starting: " + javaw.wstring() + L"\r\n",
         L"command line, " + std::to_wstring(Primary(L" -e report.dat").size()) + L" characters: " +
             Primary(L" -e report.dat") + L"\r\n",
         L", continued\r\n", // written before the start, so a crash in it leaves the steps
         L"started: process " + std::to_wstring(seen->processId) + L"\r\n", L"exit status 0\r\n"});

    // A fallback caused by a value of another type, appended to the same file.
    key->Set(KEY_WOW64_32KEY, "", "JavaHome", REG_EXPAND_SZ, home.string() + '\0');
    ExpectLaunched(Run(L" report.dat"), searchDir / "java.exe", Fallback(L" -e report.dat"));
    ExpectTraceLines(
        trace,
        {L"exit status 0\r\n", L"Pelorin " PELORIN_VERSION_TEXT L" trace, ",
         registry + L", 32-bit view: JavaHome is of type REG_EXPAND_SZ, not REG_SZ\r\n",
         registry + L", 64-bit view: no key (error 2)\r\n", L"Java home: none, so java.exe\r\n",
         L"java.exe search: " + app.wstring() + L": none\r\n",
         L"java.exe search: " + searchDir.wstring() + L": found " +
             (searchDir / "java.exe").wstring() + L"\r\n"});

    // A failure: its report and exit status.
    fs::remove(app / "JRE.pelorin");
    EXPECT_EQ(Run(L" report.dat").exitCode, 2u);
    ExpectTraceLines(trace, {L"report, exit status 2: File not found: the runtime pointer file "
                             L"could not be opened.\r\n"});
    std::ifstream shown(trace, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(shown), {}).find("standard error only"),
              std::string::npos)
        << "the report was shown in a window";
}

// On 64-bit Windows either build starts the java.exe that a 64-bit program finds in the system
// folder, never the 32-bit copy in SysWOW64 to which a 32-bit program's System32 leads, and names
// the file it started.
TEST_F(LaunchTest, EitherBuildStartsTheSystemFoldersOwnJavaExeAndNamesIt) {
    wchar_t windows[MAX_PATH];
    wchar_t system[MAX_PATH]; // System32, to a 32-bit program too
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    GetSystemDirectoryW(system, MAX_PATH);
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const fs::path native = fs::path(wow64 ? fs::path(windows) / "Sysnative" : system) / "java.exe";
    const fs::path syswow64 = fs::path(windows) / "SysWOW64" / "java.exe";
    placed = {native, syswow64};
    const std::wstring started = std::wstring(system) + L"\\java.exe";
    const fs::path trace = root / "trace.txt";
    SetEnvironmentVariableW(L"PATH", root.c_str()); // found by the system folder's place alone
    SetEnvironmentVariableW(L"PELORIN_TRACE", trace.c_str());
    const fs::path standin = test::BuildDirectory() / "standin_java.exe";
    fs::copy_file(standin, native, fs::copy_options::overwrite_existing);
    fs::copy_file(standin, syswow64, fs::copy_options::overwrite_existing);
    for (const char* row : {"in System32 and SysWOW64", "in System32 only"}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Run(L" report.dat").exitCode, 0u);
        const auto seen = test::WaitForRecord(record, RecordWaitMs);
        ASSERT_TRUE(seen.has_value()) << "no java.exe was started";
        // As the started program names itself: a 32-bit one sent to SysWOW64 would say so.
        EXPECT_EQ(CompareStringOrdinal(seen->module.c_str(), -1, started.c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << test::Utf8(seen->module);
        EXPECT_EQ(test::Utf8(seen->commandLine), test::Utf8(Fallback(L" -e report.dat")));
        ExpectTraceLines(trace,
                         {L"java.exe search: " + std::wstring(system) + L": found " + started,
                          L"starting: " + started});
        fs::remove(record);
        fs::remove(trace);
        fs::remove(syswow64);
    }

    // The other files a run touches there: a trace, a Java home by its \\?\ name, and the
    // pointer file of a Pelorin.exe that lives there, as a 64-bit starter names it.
    const fs::path nativeApp = native.parent_path() / "pelorin-test-app";
    const fs::path nativeHome = native.parent_path() / "pelorin-test-jre";
    const std::wstring inSystem = std::wstring(system) + L"\\pelorin-test-";
    fs::create_directories(nativeHome / "bin");
    fs::create_directories(nativeApp);
    fs::copy_file(standin, nativeHome / "bin" / "javaw.exe", fs::copy_options::overwrite_existing);
    for (const char* file : {"Pelorin.exe", "JRE.pelorin"}) {
        fs::copy_file(app / file, nativeApp / file, fs::copy_options::overwrite_existing);
    }
    placed.insert(placed.end(), {nativeHome / "bin" / "javaw.exe", nativeHome / "bin", nativeHome,
                                 nativeApp / "Pelorin.exe", nativeApp / "JRE.pelorin", nativeApp,
                                 native.parent_path() / "pelorin-test-trace.txt"});
    key->Set(KEY_WOW64_32KEY, "", "JavaHome", REG_SZ,
             "\\\\?\\" + test::Utf8(inSystem) + "jre" + '\0');
    SetEnvironmentVariableW(L"PELORIN_TRACE", (inSystem + L"trace.txt").c_str());
    const auto result = test::RunAndAnswer(
        nativeApp / "Pelorin.exe", L"\"" + inSystem + L"app\\Pelorin.exe\" report.dat", dataDir);
    EXPECT_EQ(result.exitCode, 0u);
    const auto seen = test::WaitForRecord(record, RecordWaitMs);
    ASSERT_TRUE(seen.has_value()) << "no javaw.exe was started";
    EXPECT_EQ(test::Utf8(seen->module), test::Utf8(inSystem + L"jre\\bin\\javaw.exe"));
    EXPECT_TRUE(fs::exists(native.parent_path() / "pelorin-test-trace.txt"));

    // Names the ANSI code page lacks go by the short names a 64-bit program sees there. A file
    // only in SysWOW64 is none of a 64-bit program's, so nothing starts.
    const fs::path omega = native.parent_path() / L"pelorin-test-jre-\u03A9";
    const fs::path data = native.parent_path() / L"pelorin-test-\u0141odz.dat";
    fs::create_directories(omega / "bin");
    fs::copy_file(standin, omega / "bin" / "javaw.exe", fs::copy_options::overwrite_existing);
    test::WriteBytes(data, "data");
    test::WriteBytes(syswow64.parent_path() / L"pelorin-test-\u0141odz-wow.dat", "data");
    placed.insert(placed.end(), {omega / "bin" / "javaw.exe", omega / "bin", omega, data,
                                 syswow64.parent_path() / L"pelorin-test-\u0141odz-wow.dat"});
    SetJavaHomeInUnicode(std::wstring(key->path().begin(), key->path().end()),
                         inSystem + L"jre-\u03A9");
    fs::remove(record);
    EXPECT_EQ(Run(L" \"" + inSystem + L"\u0141odz.dat\"").exitCode, 0u);
    const auto ansi = test::WaitForRecord(record, RecordWaitMs);
    ASSERT_TRUE(ansi.has_value()) << "no javaw.exe was started";
    int count = 0;
    wchar_t** const split = CommandLineToArgvW(ansi->ansiCommandLine.c_str(), &count);
    const std::vector<std::wstring> read(split, split + count);
    LocalFree(split);
    const auto reached = [&](const std::wstring& item) {
        return native.parent_path().wstring() + item.substr(std::min(item.size(), wcslen(system)));
    };
    EXPECT_TRUE(fs::equivalent(reached(read.front()), omega / "bin" / "javaw.exe"))
        << test::Utf8(read.front());
    EXPECT_TRUE(fs::equivalent(reached(read.back()), data)) << test::Utf8(read.back());
    EXPECT_EQ(Run(L" \"" + inSystem + L"\u0141odz-wow.dat\"").exitCode, 6u);
}

// A runtime of the other architecture gets the same launch, and the environment of its own: a
// 64-bit one the 64-bit Program Files, a 32-bit one Program Files (x86).
TEST_F(LaunchTest, ARuntimeOfTheOtherArchitectureGetsTheSameLaunch) {
    const fs::path other = PELORIN_OTHER_ARCH_STANDIN;
    if (other.empty() || !fs::exists(other)) {
        GTEST_SKIP() << "the other architecture's build is not beside this one";
    }
    fs::copy_file(other, home / "bin" / "javaw.exe", fs::copy_options::overwrite_existing);
    SetJavaHome();
    ExpectLaunched(Run(L" report.dat"), home / "bin" / "javaw.exe", Primary(L" -e report.dat"),
                   sizeof(void*) == 4 ? L"ProgramW6432" : L"ProgramFiles(x86)");
}

TEST_F(LaunchTest, ATraceFileThatCannotBeWrittenChangesNothing) {
    SetJavaHome();
    const fs::path locked = root / "locked.txt";
    const HANDLE holder =
        CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    for (const fs::path& file : {root / "no such folder" / "trace.txt", locked}) {
        SCOPED_TRACE(file.string());
        SetEnvironmentVariableW(L"PELORIN_TRACE", file.c_str());
        ExpectLaunched(Run(L" report.dat"), home / "bin" / "javaw.exe", Primary(L" -e report.dat"));
    }
    CloseHandle(holder);
    EXPECT_EQ(fs::file_size(locked), 0u);
    EXPECT_FALSE(fs::exists(root / "no such folder"));
}

// Only a whole path is written: with cmd's quotes around it, but never relative to the current
// directory (the data file's folder) and never a pipe. A trace line shows control characters as
// their pictures, and the key path as the registry was asked for it.
TEST_F(LaunchTest, TraceGoesOnlyWhereAWholePathSaysAndShowsControlCharacters) {
    SetJavaHome();
    const fs::path trace = root / "trace.txt";
    const HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\PelorinTestsTrace", PIPE_ACCESS_INBOUND,
                                         PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 0, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::pair<std::wstring, bool> cases[] = {
        // PELORIN_TRACE, whether trace.txt is written
        {L"\"" + trace.wstring() + L"\"", true},
        {L"\"" + trace.wstring() + L"\" ", true}, // set PELORIN_TRACE="..." && ... keeps a blank
        {L"trace.txt", false},
        {L"\\\\.\\pipe\\PelorinTestsTrace", false},
    };
    for (const auto& [variable, written] : cases) {
        SCOPED_TRACE(test::Utf8(variable));
        SetEnvironmentVariableW(L"PELORIN_TRACE", variable.c_str());
        ExpectLaunched(Run(L" report.dat"), home / "bin" / "javaw.exe", Primary(L" -e report.dat"));
        EXPECT_EQ(fs::exists(trace), written);
        EXPECT_FALSE(fs::exists(dataDir / "trace.txt"));
        fs::remove(trace);
    }
    EXPECT_FALSE(ConnectNamedPipe(pipe, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING)) << "the pipe was opened";
    CloseHandle(pipe);

    SetEnvironmentVariableW(L"PELORIN_TRACE", trace.c_str());
    WritePointerFile(key->path() + std::string("\0junk\r\n", 7));
    ExpectLaunched(Run(L" a.dat\r\nb.dat"), home / "bin" / "javaw.exe",
                   Primary(L" -e a.dat\r\nb.dat"));
    const std::wstring keyPath(key->path().begin(), key->path().end());
    ExpectTraceLines(trace,
                     {L"arguments: [a.dat\u240D\u240Ab.dat]\r\n",
                      L"pointer file read as ANSI, first item: [" + keyPath + L"\u2400junk]\r\n",
                      L"registry: HKEY_LOCAL_MACHINE\\" + keyPath + L", 32-bit view: ",
                      L"command line, " + std::to_wstring(Primary(L" -e a.dat\r\nb.dat").size()) +
                          L" characters: " + Primary(L" -e a.dat\u240D\u240Ab.dat") + L"\r\n"});
}

} // namespace

namespace {

// A run that nobody can see: on a window station of its own, as under a service or a scheduled
// task that runs whether or not a user is signed in. A window there would wait for ever.
class UnseenRun : public LaunchTest {
protected:
    void SetUp() override {
        LaunchTest::SetUp();
        station = CreateWindowStationW(L"PelorinTestsUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
        ASSERT_NE(station, nullptr) << GetLastError();
    }
    void TearDown() override {
        CloseWindowStation(station);
        LaunchTest::TearDown();
    }
    test::RunResult RunUnseen(const std::wstring& afterProgramName, DWORD pipeBytes = 1 << 16) {
        const fs::path exe = app / "Pelorin.exe";
        return test::RunAndAnswer(exe, L"\"" + exe.wstring() + L"\"" + afterProgramName, dataDir,
                                  pipeBytes, L"PelorinTestsUnseen\\Default");
    }
    HWINSTA station = nullptr;
};

TEST_F(UnseenRun, AFailureGoesToStandardErrorAndEndsWithItsStatus) {
    SetEnvironmentVariableW(L"PELORIN_TRACE", (root / "trace.txt").c_str());
    fs::remove(app / "JRE.pelorin");
    const auto result = RunUnseen(L" report.dat");
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_TRUE(result.messageBoxes.empty());
    EXPECT_NE(result.standardError.find("Pelorin: File not found"), std::string::npos)
        << result.standardError;
    ExpectTraceLines(
        root / "trace.txt",
        {L"no one can see a window here, so the report goes to standard error only\r\n"});
}

// A pipe too small for the text, read only after the run, is given up after a second, and one
// closed before the run at once; the trace says so.
TEST_F(UnseenRun, AHelpRequestWritesTheUsageTextToStandardOutput) {
    const fs::path trace = root / "trace.txt";
    SetEnvironmentVariableW(L"PELORIN_TRACE", trace.c_str());
    for (const auto& [pipeBytes, taken] : {std::pair{1u << 16, true}, {64u, false}, {0u, false}}) {
        SCOPED_TRACE(pipeBytes);
        const auto result = RunUnseen(L" -?", pipeBytes);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_LT(result.milliseconds, 8000u); // a second for the text, not ten
        EXPECT_EQ(result.standardOutput == test::Utf8(ExpectedUsageText), taken);
        std::ifstream in(trace, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(text.find("standard output did not take the usage text") == std::string::npos,
                  taken)
            << text;
        in.close();
        fs::remove(trace);
    }
}

TEST_F(UnseenRun, ALaunchIsTheSame) {
    SetJavaHome();
    ExpectLaunched(RunUnseen(L" report.dat"), home / "bin" / "javaw.exe",
                   Primary(L" -e report.dat"));
}

} // namespace
