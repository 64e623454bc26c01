#include "launcher/failure_report.h"
#include "launcher/pelorin_main.h"
#include "launcher/pointer_file.h"
#include "platform/memory/memory_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using memory_platform::Machine;

const std::wstring ExeDir = L"C:\\Program Files\\Virelt";
const std::wstring PointerFile = ExeDir + L"\\JRE.pelorin";
const std::wstring KeyPath = L"SOFTWARE\\JavaSoft\\JRE\\1.8";
const std::wstring JarArgument = L"\"C:\\Program Files\\Virelt\\Virelt.jar\" ";
const std::wstring Javaw = L"\"C:\\Java\\jre\\bin\\javaw.exe\" -jar ";

class MainSequence : public ::testing::Test {
protected:
    void SetUp() override {
        memory_platform::Reset();
        for (auto* moduleString :
             {&PelorinMain::argLine, &PelorinMain::runtimeKeyPath, &PelorinMain::javaHomeDir,
              &PelorinMain::javawPrefix, &PelorinMain::jarArgument, &PelorinMain::launchCommand}) {
            moduleString->clear();
        }
        machine().executablePath = ExeDir + L"\\Pelorin.exe";
        machine().files[PointerFile] = "SOFTWARE\\JavaSoft\\JRE\\1.8\r\n";
        machine().registry32[KeyPath][L"JavaHome"] = {1, std::wstring(L"C:\\Java\\jre\0", 12)};
        machine().environment[L"PATH"] = L"C:\\Windows\\system32;" + JavaOnPathFolder;
        machine().files[JavaOnPath] = "MZ";
    }
    const std::wstring JavaOnPathFolder = L"C:\\Program Files\\Java\\bin";
    const std::wstring JavaOnPath = JavaOnPathFolder + L"\\java.exe";
    static Machine& machine() { return memory_platform::TheMachine(); }
    static int Run(const std::wstring& arguments) {
        machine().commandLine = L"\"" + machine().executablePath + L"\" " + arguments;
        return RunPelorin();
    }
};

struct LaunchCase {
    const wchar_t* arguments;
    const wchar_t* expectedTail; // what follows the archive argument
};

TEST_F(MainSequence, LaunchesJavawWithTheNormalisedArguments) {
    const LaunchCase cases[] = {
        {L"report.dat", L" -e report.dat"},
        {L"   report.dat  ", L" -e report.dat"},
        {L"", L""},
        {L"     ", L""},
        {L"-v a.dat", L"-v a.dat"},
        {L"-s a.dat out.html", L"-s a.dat out.html"},
        {L"report.dat\t", L" -e report.dat\t"},
        {L"-h", L" -e -h"},
        {L"/?", L" -e /?"},
        {L"?", L" -e ?"},
    };
    for (const auto& c : cases) {
        SetUp();
        EXPECT_EQ(Run(c.arguments), Success);
        ASSERT_EQ(machine().launches.size(), 1u) << c.arguments;
        EXPECT_EQ(machine().launches[0], Javaw + JarArgument + c.expectedTail);
        EXPECT_EQ(machine().launchShowStates[0], 1);
        EXPECT_TRUE(machine().reports.empty());
    }
}

TEST_F(MainSequence, ResolvesTheRuntimeBeforeLaunchingInOrder) {
    ASSERT_EQ(Run(L"report.dat"), Success);
    const std::vector<std::wstring> expected = {
        L"ExecutablePath",
        L"CommandLine",
        L"ReadFile " + PointerFile,
        L"RegistryOpenKey 32 SOFTWARE\\JavaSoft\\JRE\\1.8",
        L"RegistryQueryValue size JavaHome",
        L"RegistryQueryValue data JavaHome",
        L"RegistryCloseKey",
        L"LaunchProcess " + Javaw + JarArgument + L" -e report.dat",
    };
    EXPECT_EQ(machine().events, expected);
    EXPECT_EQ(PelorinMain::runtimeKeyPath, L"SOFTWARE\\JavaSoft\\JRE\\1.8");
    EXPECT_EQ(PelorinMain::javaHomeDir, L"C:\\Java\\jre");
    EXPECT_EQ(PelorinMain::argLine, L" -e report.dat");
}

TEST_F(MainSequence, TakesJavaHomeFromTheFirstViewThatHoldsOneOrFallsBackToJavaExe) {
    struct ViewCase {
        const char* name;
        std::function<void(Machine&)> arrange;
        const wchar_t* javaHome; // empty: the java.exe fallback
    };
    const auto set = [](std::map<std::wstring, memory_platform::RegistryKeyValues>& view,
                        std::uint32_t type, const wchar_t* text) {
        view[KeyPath][L"JavaHome"] = {type, std::wstring(text) + L'\0'};
    };
    const ViewCase cases[] = {
        {"no key", [](Machine& m) { m.registry32.clear(); }, L""},
        {"REG_EXPAND_SZ", [&](Machine& m) { set(m.registry32, 2, L"C:\\Java\\jre"); }, L""},
        {"blanks only", [&](Machine& m) { set(m.registry32, 1, L"   "); }, L""},
        {"key named nowhere", [](Machine& m) { m.files[PointerFile] = "SOFTWARE\\Nowhere\r\n"; },
         L""},
        {"64-bit view only",
         [&](Machine& m) {
             m.registry32.clear();
             set(m.registry64, 1, L"C:\\J64");
         },
         L"C:\\J64"},
        {"32-bit view first", [&](Machine& m) { set(m.registry64, 1, L"C:\\J64"); },
         L"C:\\Java\\jre"},
        {"another type in the 32-bit view",
         [&](Machine& m) {
             set(m.registry32, 2, L"C:\\J32");
             set(m.registry64, 1, L"C:\\J64");
         },
         L"C:\\J64"},
        {"empty in the 32-bit view",
         [&](Machine& m) {
             set(m.registry32, 1, L"");
             set(m.registry64, 1, L"C:\\J64");
         },
         L"C:\\J64"},
        {"blanks in the 32-bit view",
         [&](Machine& m) {
             set(m.registry32, 1, L"  ");
             set(m.registry64, 1, L"C:\\J64");
         },
         L"C:\\J64"},
        {"empty in both views",
         [&](Machine& m) {
             set(m.registry32, 1, L"");
             set(m.registry64, 1, L"");
         },
         L""},
    };
    for (const auto& c : cases) {
        SetUp();
        c.arrange(machine());
        EXPECT_EQ(Run(L"report.dat"), Success) << c.name;
        ASSERT_EQ(machine().launches.size(), 1u) << c.name;
        const std::wstring home = c.javaHome;
        EXPECT_EQ(machine().launches[0],
                  (home.empty() ? L"java.exe -jar " : L"\"" + home + L"\\bin\\javaw.exe\" -jar ") +
                      JarArgument + L" -e report.dat")
            << c.name;
        EXPECT_EQ(machine().launchApplications[0], home.empty() ? JavaOnPath : L"") << c.name;
    }
}

TEST_F(MainSequence, FindsJavaExeInTheSearchOrderButNeverInTheCurrentDirectory) {
    struct SearchCase {
        const char* name;
        std::wstring path;                  // the PATH variable
        std::vector<std::wstring> javaExes; // where java.exe files are
        std::wstring expected;              // empty: none found, a failure report
    };
    const SearchCase cases[] = {
        {"beside Pelorin.exe first",
         L"C:\\Tools",
         {ExeDir + L"\\java.exe", L"C:\\Tools\\java.exe"},
         ExeDir + L"\\java.exe"},
        {"system folder before PATH",
         L"C:\\Tools",
         {L"C:\\Windows\\system32\\java.exe", L"C:\\Tools\\java.exe"},
         L"C:\\Windows\\system32\\java.exe"},
        {"PATH in its order",
         L"C:\\A;\"C:\\B C\";C:\\D\\",
         {L"C:\\B C\\java.exe", L"C:\\D\\java.exe"},
         L"C:\\B C\\java.exe"},
        {"trailing backslash in PATH", L";;C:\\D\\", {L"C:\\D\\java.exe"}, L"C:\\D\\java.exe"},
        {"relative PATH folders name the current directory",
         L".;bin;C:\\Tools",
         {L".\\java.exe", L"bin\\java.exe", L"C:\\Tools\\java.exe"},
         L"C:\\Tools\\java.exe"},
        {"only relative", L".;..\\jre\\bin", {L".\\java.exe", L"..\\jre\\bin\\java.exe"}, L""},
        {"nowhere", L"C:\\Tools", {}, L""},
    };
    for (const auto& c : cases) {
        SetUp();
        machine().registry32.clear();
        machine().files.erase(JavaOnPath);
        machine().environment[L"PATH"] = c.path;
        for (const auto& java : c.javaExes) {
            machine().files[java] = "MZ";
        }
        const int status = Run(L"report.dat");
        if (c.expected.empty()) {
            EXPECT_EQ(status, ApplicationNotStarted) << c.name;
            EXPECT_TRUE(machine().launches.empty()) << c.name;
            ASSERT_EQ(machine().reports.size(), 1u) << c.name;
            EXPECT_NE(machine().reports[0].find(L"java.exe was found neither"), std::wstring::npos);
        } else {
            ASSERT_EQ(machine().launchApplications.size(), 1u) << c.name;
            EXPECT_EQ(machine().launchApplications[0], c.expected) << c.name;
            EXPECT_EQ(machine().launches[0], L"java.exe -jar " + JarArgument + L" -e report.dat");
        }
    }
}

TEST_F(MainSequence, ReadsThePointerFileAsFarAsItsFirstItemInAnsiOrAfterAUtf8Mark) {
    struct PointerCase {
        const char* name;
        std::string bytes;
        std::optional<std::wstring> keyPath; // none: input past end of file; empty: no key
    };
    const std::string megabytes(5 * 1024 * 1024, 'x');
    const std::string bound(MaxPointerFileBytes, ' ');
    const PointerCase cases[] = {
        {"ANSI", "SOFTWARE\\J\xE9r\xF4me\r\n", L"SOFTWARE\\J\u00E9r\u00F4me"},
        {"UTF-8 after the mark", "\xEF\xBB\xBFSOFTWARE\\J\xC3\xA9r\xC3\xB4me\r\n",
         L"SOFTWARE\\J\u00E9r\u00F4me"},
        {"UTF-8 mark, quoted item", "\xEF\xBB\xBF  \"SOFTWARE\\A, B\",x", L"SOFTWARE\\A, B"},
        {"mark only", "\xEF\xBB\xBF", std::nullopt},
        {"mark bytes not at the start", " \xEF\xBB\xBFX", L"\u00EF\u00BB\u00BFX"},
        {"megabytes after the first line", "SOFTWARE\\Big\r\n" + megabytes, L"SOFTWARE\\Big"},
        {"megabytes on one line with no end", "SOFTWARE\\" + megabytes, L""},
        {"megabytes of blanks", std::string(3 * 1024 * 1024, ' '), L""},
        {"blanks up to the bound, then an item", bound + "SOFTWARE\\Late\r\n", L""},
        {"an item that ends right at the bound", bound.substr(4) + "S\\X\n", L"S\\X"},
        {"blanks only, within the bound", bound, std::nullopt},
        {"lone quote", "\"", L""},
        {"unclosed quote", "\"SOFTWARE\\Open\r\n", L"SOFTWARE\\Open\r\n"},
        {"unclosed quote past the bound", "\"SOFTWARE\\Open\r\n" + megabytes, L""},
    };
    for (const auto& c : cases) {
        SetUp();
        machine().files[PointerFile] = c.bytes;
        const int status = Run(L"report.dat");
        if (c.keyPath) {
            EXPECT_EQ(status, Success) << c.name;
            EXPECT_TRUE(PelorinMain::runtimeKeyPath == *c.keyPath) << c.name;
            EXPECT_EQ(machine().launches.size(), 1u) << c.name;
        } else {
            EXPECT_EQ(status, PointerFileEmpty) << c.name;
            EXPECT_TRUE(machine().launches.empty()) << c.name;
        }
        EXPECT_LE(machine().bytesRead, MaxPointerFileBytes + 4096) << c.name;
    }
}

struct FailureCase {
    const char* name;
    std::function<void(Machine&)> arrange;
    std::wstring arguments;
    int expectedStatus;
    std::vector<std::wstring> reportMentions;
};

TEST_F(MainSequence, EachFailureReportsAndStartsNothing) {
    const FailureCase cases[] = {
        {"pointer file missing",
         [](Machine& m) { m.files.clear(); },
         L"report.dat",
         PointerFileNotFound,
         {L"File not found", PointerFile, L"The system cannot find the file specified",
          L"Reinstall"}},
        {"pointer file missing, help asked for",
         [](Machine& m) { m.files.clear(); },
         L"-?",
         PointerFileNotFound,
         {L"File not found", PointerFile}},
        {"pointer file empty",
         [](Machine& m) { m.files[PointerFile] = ""; },
         L"report.dat",
         PointerFileEmpty,
         {L"Input past end of file", PointerFile}},
        {"pointer file of blanks",
         [](Machine& m) { m.files[PointerFile] = "   "; },
         L"-?",
         PointerFileEmpty,
         {L"Input past end of file", PointerFile}},
        {"javaw.exe not there",
         [](Machine& m) { m.launchError = 2; },
         L"report.dat",
         ApplicationNotStarted,
         {L"Cannot start process", Javaw + JarArgument + L" -e report.dat",
          L"The system cannot find the file specified", L"CreateProcessW, error 2"}},
        {"command line too long for Windows",
         [](Machine&) {},
         std::wstring(32766, L'x'),
         ApplicationNotStarted,
         {L"Cannot start process",
          std::to_wstring((Javaw + JarArgument + L" -e ").size() + 32766) + L" characters",
          L"32766"}},
        {"a command line of 20,000 characters that can't be started",
         [](Machine& m) { m.launchError = 2; },
         L"first" + std::wstring(20000, L'x') + L"last",
         ApplicationNotStarted,
         {Javaw + JarArgument + L" -e firstxxx", L"xxxlast\n",
          std::to_wstring((Javaw + JarArgument + L" -e first").size() + 20004) +
              L" characters; the middle is left out"}},
        {"usage window can't be created",
         [](Machine& m) { m.failingCall = L"CreateWindowExW"; },
         L"-?",
         UsageWindowNotShown,
         {L"usage window", L"Access is denied", L"CreateWindowExW, error 5"}},
        {"a system call fails unexpectedly",
         [](Machine& m) { m.failingCall = L"GetModuleFileNameW"; },
         L"report.dat",
         UnexpectedFailure,
         {L"unexpected failure", L"Access is denied", L"GetModuleFileNameW, error 5"}},
    };
    for (const auto& c : cases) {
        SetUp();
        c.arrange(machine());
        EXPECT_EQ(Run(c.arguments), c.expectedStatus) << c.name;
        EXPECT_TRUE(machine().launches.empty()) << c.name;
        ASSERT_EQ(machine().reports.size(), 1u) << c.name;
        for (const auto& mention : c.reportMentions) {
            EXPECT_NE(machine().reports[0].find(mention), std::wstring::npos)
                << c.name << ": report lacks [" << std::string(mention.begin(), mention.end())
                << "]";
        }
        EXPECT_EQ(machine().events.back(), L"ReportFailure") << c.name;
        EXPECT_LT(machine().reports[0].size(), 1500u) << c.name << ": a report is bounded";
    }
}

TEST_F(MainSequence, HelpRequestShowsTheUsageWindowAndStartsNothing) {
    const wchar_t* helpArguments[] = {L"-?", L"-?x", L"  -? report.dat", L"-?-e x"};
    for (const auto* arguments : helpArguments) {
        SetUp();
        machine().registry32.clear(); // no usable key: the window is shown all the same
        EXPECT_EQ(Run(arguments), Success) << arguments;
        EXPECT_TRUE(machine().launches.empty()) << arguments;
        EXPECT_TRUE(machine().reports.empty()) << arguments;
        ASSERT_EQ(machine().shownForms.size(), 1u) << arguments;
        EXPECT_TRUE(machine().shownForms[0].unloaded);
        const auto& events = machine().events;
        const auto read = std::find(events.begin(), events.end(), L"ReadFile " + PointerFile);
        const auto shown = std::find(events.begin(), events.end(), L"ShowModalForm Pelorin");
        EXPECT_LT(read, shown) << "the pointer file is read before the window is shown";
        EXPECT_EQ(shown + 1, events.end()) << "nothing happens after the window is closed";
    }
}

TEST(ExitStatus, EachKindOfFailureHasItsOwnNonZeroStatus) {
    const int statuses[] = {ExitStatusFor(FailureKind::FileNotFound),
                            ExitStatusFor(FailureKind::InputPastEndOfFile),
                            ExitStatusFor(FailureKind::CannotStartProcess),
                            ExitStatusFor(FailureKind::WindowCannotBeShown)};
    for (const int status : statuses) {
        EXPECT_NE(status, Success);
        EXPECT_NE(status, UnexpectedFailure);
        EXPECT_EQ(std::count(std::begin(statuses), std::end(statuses), status), 1);
    }
}

} // namespace
