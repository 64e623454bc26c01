// The start-up sequence on an in-memory machine: what a run decides to start, and each failure.
#include "launcher/failure_report.h"
#include "launcher/paths.h"
#include "launcher/pelorin_main.h"
#include "tests/support/memory_platform.h"
#include "text/text.h"

#include "pelorin_version.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using memory_platform::Machine;
using memory_platform::RegDword;
using memory_platform::RegExpandSz;
using memory_platform::RegSz;
using PelorinMain::Launch;

const std::wstring ExeDir = L"C:\\Program Files\\Virelt";
const std::wstring PointerFile = ExeDir + L"\\JRE.pelorin";
const std::wstring KeyPath = L"SOFTWARE\\JavaSoft\\JRE\\1.8";
const std::wstring JarArgument = L"\"C:\\Program Files\\Virelt\\Virelt.jar\" ";
const std::wstring Javaw = L"\"C:\\Java\\jre\\bin\\javaw.exe\" -jar ";
const std::wstring JavaOnPath = L"C:\\Program Files\\Java\\bin\\java.exe";

// The two documented launches: javaw.exe under the Java home, or the java.exe fallback.
Launch Primary(const std::wstring& javaHome, const std::wstring& tail) {
    return {javaHome + L"\\bin\\javaw.exe",
            L"\"" + javaHome + L"\\bin\\javaw.exe\" -jar " + JarArgument + tail};
}
Launch Fallback(const std::wstring& javaExe, const std::wstring& tail) {
    return {javaExe, L"java.exe -jar " + JarArgument + tail};
}

void SetJavaHome(std::map<std::wstring, memory_platform::RegistryKeyValues>& view,
                 std::uint32_t type, const std::wstring& text) {
    view[KeyPath][L"JavaHome"] = {type, memory_platform::Utf16Bytes(text + L'\0')};
}

class MainSequence : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    // The machine every test begins with, again for each row of a table.
    static void Fresh() {
        memory_platform::Reset();
        machine().executablePath = ExeDir + L"\\Pelorin.exe";
        machine().files[PointerFile] = "SOFTWARE\\JavaSoft\\JRE\\1.8\r\n";
        SetJavaHome(machine().registry32, RegSz, L"C:\\Java\\jre");
        machine().environment[L"PATH"] = L"C:\\Windows\\system32;C:\\Program Files\\Java\\bin";
        machine().files[JavaOnPath] = "MZ";
        machine().files[L"C:\\Java\\jre\\bin\\javaw.exe"] = "MZ";
    }
    static Machine& machine() { return memory_platform::TheMachine(); }
    static std::optional<Launch> Decide(const std::wstring& arguments) {
        machine().commandLine = L"\"" + machine().executablePath + L"\" " + arguments;
        Trace trace;
        return PelorinMain::Main(trace);
    }
    static int Run(const std::wstring& arguments) {
        machine().commandLine = L"\"" + machine().executablePath + L"\" " + arguments;
        return PelorinMain::RunPelorin();
    }
};

TEST_F(MainSequence, TakesJavaHomeFromTheFirstViewThatHoldsOneOrFallsBackToJavaExe) {
    struct ViewCase {
        const char* name;
        std::function<void(Machine&)> arrange;
        const wchar_t* javaHome; // empty: the java.exe fallback
    };
    const ViewCase cases[] = {
        {"no key", [](Machine& m) { m.registry32.clear(); }, L""},
        {"REG_EXPAND_SZ",
         [](Machine& m) { SetJavaHome(m.registry32, RegExpandSz, L"C:\\Java\\jre"); }, L""},
        {"blanks only", [](Machine& m) { SetJavaHome(m.registry32, RegSz, L"   "); }, L""},
        {"key named nowhere", [](Machine& m) { m.files[PointerFile] = "SOFTWARE\\Nowhere\r\n"; },
         L""},
        {"64-bit view only",
         [](Machine& m) {
             m.registry32.clear();
             SetJavaHome(m.registry64, RegSz, L"C:\\J64");
         },
         L"C:\\J64"},
        {"32-bit view first", [](Machine& m) { SetJavaHome(m.registry64, RegSz, L"C:\\J64"); },
         L"C:\\Java\\jre"},
        {"another type in the 32-bit view",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegExpandSz, L"C:\\J32");
             SetJavaHome(m.registry64, RegSz, L"C:\\J64");
         },
         L"C:\\J64"},
        {"empty in the 32-bit view",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"");
             SetJavaHome(m.registry64, RegSz, L"C:\\J64");
         },
         L"C:\\J64"},
        {"blanks in the 32-bit view",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"  ");
             SetJavaHome(m.registry64, RegSz, L"C:\\J64");
         },
         L"C:\\J64"},
        // A runtime that has gone leaves its value behind; the one that is there is taken.
        {"32-bit home without its runtime",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Gone");
             SetJavaHome(m.registry64, RegSz, L"C:\\Java\\jre");
         },
         L"C:\\Java\\jre"},
        {"no home holds a runtime: the first whole path, for its report",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"jre");
             SetJavaHome(m.registry64, RegSz, L"C:\\Gone 64");
             m.files.erase(L"C:\\Java\\jre\\bin\\javaw.exe");
         },
         L"C:\\Gone 64"},
        {"no home holds a runtime: the 32-bit view's whole path first",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Gone 32");
             SetJavaHome(m.registry64, RegSz, L"C:\\Gone 64");
         },
         L"C:\\Gone 32"},
        {"empty in both views",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"");
             SetJavaHome(m.registry64, RegSz, L"");
         },
         L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange(machine());
        const std::wstring home = c.javaHome;
        const Launch expected = home.empty() ? Fallback(JavaOnPath, L" -e report.dat")
                                             : Primary(home, L" -e report.dat");
        EXPECT_EQ(Decide(L"report.dat"), expected);
        ASSERT_EQ(machine().started.size(), 1u);
        EXPECT_EQ(machine().started[0].commandLine, expected.commandLine);
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
        {"a drive root on PATH", L"z:\\", {L"z:\\java.exe"}, L"z:\\java.exe"},
        {"the system folder before the Windows folder",
         L"",
         {L"C:\\Windows\\java.exe", L"C:\\Windows\\system32\\java.exe"},
         L"C:\\Windows\\system32\\java.exe"},
        {"a stray quote before a folder makes it no whole path",
         L"\"C:\\Tools\\;C:\\B",
         {L"C:\\Tools\\java.exe", L"C:\\B\\java.exe"},
         L"C:\\B\\java.exe"},
        {"relative PATH folders name the current directory",
         L".;bin;C:\\Tools",
         {L".\\java.exe", L"bin\\java.exe", L"C:\\Tools\\java.exe"},
         L"C:\\Tools\\java.exe"},
        {"only relative", L".;..\\jre\\bin", {L".\\java.exe", L"..\\jre\\bin\\java.exe"}, L""},
        {"nowhere", L"C:\\Tools", {}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        machine().registry32.clear();
        machine().files.erase(JavaOnPath);
        machine().environment[L"PATH"] = c.path;
        for (const auto& java : c.javaExes) {
            machine().files[java] = "MZ";
        }
        if (c.expected.empty()) {
            EXPECT_EQ(Run(L"report.dat"), 4);
            EXPECT_TRUE(machine().started.empty());
            ASSERT_EQ(machine().reports.size(), 1u);
            EXPECT_NE(machine().reports[0].find(L"java.exe was found neither"), std::wstring::npos);
        } else {
            EXPECT_EQ(Decide(L"report.dat"), Fallback(c.expected, L" -e report.dat"));
        }
    }
}

// The runtime reads its command line in the ANSI code page: a part the page lacks goes by its short
// name, or a folder's short name and a name the page holds; what has neither starts nothing.
TEST_F(MainSequence, GivesTheRuntimeOnlyWhatReadsBackInItsCodePage) {
    struct AnsiCase {
        const char* name;
        std::function<void(Machine&)> arrange;
        std::wstring arguments;
        Launch expected; // empty: refused with exit status 6
    };
    const AnsiCase cases[] = {
        {"a line the page holds stays as it is", [](Machine&) {}, L"-v C:\\d\\Zürich.dat",
         Primary(L"C:\\Java\\jre", L"-v C:\\d\\Zürich.dat")},
        {"fullwidth quotes in a file's name can't make arguments",
         [](Machine& m) { m.shortPaths[L"C:\\d\\a＂ -s ＂x.dat"] = L"C:\\d\\A~1.DAT"; },
         L"\"C:\\d\\a＂ -s ＂x.dat\"", Primary(L"C:\\Java\\jre", L" -e \"C:\\d\\A~1.DAT\"")},
        {"fullwidth quotes in a file that is not there",
         [](Machine&) {},
         L"\"C:\\d\\a＂ -s ＂x.dat\"",
         {}},
        {"Ł by the short name, the other arguments as they were",
         [](Machine& m) { m.shortPaths[L"C:\\d\\Łodz.dat"] = L"C:\\d\\LODZ~1.DAT"; },
         L"-v  C:\\d\\Łodz.dat\t-x", Primary(L"C:\\Java\\jre", L"-v  C:\\d\\LODZ~1.DAT\t-x")},
        {"a CJK name where the volume keeps no short names",
         [](Machine& m) { m.files[L"文.dat"] = "data"; },
         L"文.dat",
         {}},
        {"a soft hyphen in code page 932",
         [](Machine& m) {
             m.ansiCodePage = 932;
             m.shortPaths[L"\u00ADx.dat"] = L"X~1.DAT";
         },
         L"\u00ADx.dat", Primary(L"C:\\Java\\jre", L" -e X~1.DAT")},
        {"an output file not there yet, in a folder with a short name",
         [](Machine& m) {
             m.shortPaths[L"C:\\d\\Łodz.dat"] = L"C:\\d\\LODZ~1.DAT";
             m.shortPaths[L"C:\\Łout\\"] = L"C:\\LOUT~1\\";
         },
         L"-s C:\\d\\Łodz.dat \"C:\\Łout\\r s.html\"",
         Primary(L"C:\\Java\\jre", L"-s C:\\d\\LODZ~1.DAT \"C:\\LOUT~1\\r s.html\"")},
        {"a folder, quoted, by its short name",
         [](Machine& m) { m.shortPaths[L"C:\\Łdir\\"] = L"C:\\LDIR~1\\"; }, L"-v \"C:\\Łdir\\\\\"",
         Primary(L"C:\\Java\\jre", L"-v \"C:\\LDIR~1\\\\\"")},
        {"an output file whose own name the page lacks",
         [](Machine& m) { m.shortPaths[L"C:\\d\\"] = L"C:\\d\\"; },
         L"-s C:\\d\\x.dat C:\\d\\Łout.html",
         {}},
        {"the Java home by its short name",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Łava");
             m.files[L"C:\\Łava\\bin\\javaw.exe"] = "MZ";
             m.shortPaths[L"C:\\Łava"] = L"C:\\LAVA~1";
         },
         L"x", Primary(L"C:\\LAVA~1", L" -e x")},
        {"a Java home without a short name",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Łava");
             m.files[L"C:\\Łava\\bin\\javaw.exe"] = "MZ";
         },
         L"x",
         {}},
        {"a Java home an uninstall left behind, by the name the registry gives",
         [](Machine& m) { SetJavaHome(m.registry32, RegSz, L"C:\\Łava"); }, L"x",
         Primary(L"C:\\Łava", L" -e x")},
        {"a Java home gone from a folder that is there with a short name",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Łava gone\\sub");
             m.shortPaths[L"C:\\Łava gone\\"] = L"C:\\LAVAGO~1\\";
         },
         L"x", Primary(L"C:\\Łava gone\\sub", L" -e x")},
        {"the install folder by its short name",
         [](Machine& m) {
             m.executablePath = L"C:\\Łukasz\\Pelorin.exe";
             m.files[L"C:\\Łukasz\\JRE.pelorin"] = "SOFTWARE\\JavaSoft\\JRE\\1.8";
             m.shortPaths[L"C:\\Łukasz"] = L"C:\\UKASZ~1";
         },
         L"",
         {L"C:\\Java\\jre\\bin\\javaw.exe", Javaw + L"\"C:\\UKASZ~1\\Virelt.jar\" "}},
        {"java.exe found in a folder the page lacks",
         [](Machine& m) {
             m.registry32.clear();
             m.environment[L"PATH"] = L"C:\\Łava\\bin";
             m.files[L"C:\\Łava\\bin\\java.exe"] = "MZ";
             m.shortPaths[L"C:\\Łava\\bin\\java.exe"] = L"C:\\LAVA~1\\bin\\java.exe";
         },
         L"x", Fallback(L"C:\\LAVA~1\\bin\\java.exe", L" -e x")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        machine().ansiLacks = {{L'Ł', L'L'}, {L'＂', L'"'}, {L'文', L'?'}, {L'\u00AD', L'-'}};
        c.arrange(machine());
        EXPECT_EQ(Run(c.arguments), c.expected.program.empty() ? 6 : 0);
        const auto& s = machine().started;
        EXPECT_EQ((s.empty() ? Launch{} : Launch{s[0].program, s[0].commandLine}), c.expected);
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
         2,
         {L"File not found", PointerFile, L"The system cannot find the file specified",
          L"Reinstall the application so that JRE.pelorin is back beside Pelorin.exe."}},
        // The pointer file is read, and must be readable, before the help request is honoured. The
        // path it names shows its control characters as their pictures.
        {"pointer file missing, help asked for",
         [](Machine& m) {
             m.files.clear();
             m.executablePath = L"C:\\V\x01\x7F\\Pelorin.exe";
         },
         L"-?",
         2,
         {L"File not found", L"C:\\V\u2401\u2421\\JRE.pelorin", L"back beside Pelorin.exe."}},
        {"pointer file empty",
         [](Machine& m) { m.files[PointerFile] = ""; },
         L"report.dat",
         3,
         {L"Input past end of file", PointerFile,
          L"Its first line must name the registry key of the Java runtime. Reinstall the "
          L"application to restore it."}},
        {"pointer file of blanks",
         [](Machine& m) { m.files[PointerFile] = "   "; },
         L"-?",
         3,
         {L"Input past end of file", PointerFile, L"Reinstall the application to restore it."}},
        {"javaw.exe can't be started",
         [](Machine& m) { m.failingCall = L"CreateProcessW"; },
         L"report.dat",
         4,
         {L"Cannot start process", Javaw + JarArgument + L" -e report.dat", L"Access is denied",
          L"CreateProcessW, error 5",
          L"Check that the Java runtime is installed, or reinstall it."}},
        {"javaw.exe is no program",
         [](Machine& m) {
             m.failingCall = L"CreateProcessW";
             m.failingText = L"%1 is not a valid Win32 application.";
         },
         L"report.dat",
         4,
         {L"Reason: C:\\Java\\jre\\bin\\javaw.exe is not a valid Win32 application.",
          L"or reinstall it."}},
        {"command line too long for Windows",
         [](Machine&) {},
         std::wstring(32766, L'x'),
         4,
         {L"Cannot start process",
          std::to_wstring((Javaw + JarArgument + L" -e ").size() + 32766) + L" characters",
          L"32766. Open the data file from a shorter path, or pass fewer arguments."}},
        {"a command line one character longer than Windows starts",
         [](Machine&) {},
         std::wstring(32767 - (Javaw + JarArgument + L" -e ").size(), L'x'),
         4,
         {L"the command line is 32767 characters long", L"pass fewer arguments."}},
        {"a command line of 20,000 characters that can't be started",
         [](Machine& m) { m.failingCall = L"CreateProcessW"; },
         L"first" + std::wstring(20000, L'x') + L"last",
         4,
         {Javaw + JarArgument + L" -e firstxxx", L"xxxlast\r\n",
          std::to_wstring((Javaw + JarArgument + L" -e first").size() + 20004) +
              L" characters; the middle is left out",
          L"or reinstall it."}},
        {"a data file whose name the runtime would read otherwise",
         [](Machine& m) {
             m.ansiLacks = {{L'文', L'?'}, {L'\xD83D', L'?'}, {L'\xDE00', L'?'}, {L'\xDE01', L'?'}};
             m.files[L"文文\xD83D\xDE00\xD83D\xDE01.dat"] = "data";
         },
         L"文文\xD83D\xDE00\xD83D\xDE01.dat",
         6,
         {L"Cannot start process: the Java runtime would read this as something else",
          L"文文\xD83D\xDE00\xD83D\xDE01.dat",
          L"code page 1252, which lacks 文 (U+6587), \xD83D\xDE00 (U+1F600), \xD83D\xDE01 "
          L"(U+1F601) "
          L"of argument 2",
          L"nothing was started.\r\n\r\n文文\xD83D\xDE00\xD83D\xDE01.dat\r\n\r\nReason: ",
          L"Rename the file", L"\"Use Unicode UTF-8 for worldwide language support\")."}},
        {"a file name with an unpaired surrogate half",
         [](Machine& m) {
             m.ansiLacks = {{L'\xD800', L'?'}, {L'Ł', L'L'}};
             m.files[L"\xD800Ł.dat"] = "data";
         },
         L"\xD800Ł.dat",
         6,
         {L"code page 1252, which lacks \xD800 (U+D800), Ł (U+0141) of argument 2",
          L"\"Use Unicode UTF-8 for worldwide language support\")."}},
        {"two unpaired halves apart, and a lone half after the pair that holds its like",
         [](Machine& m) {
             m.ansiLacks = {{L'\xD800', L'?'}, {L'\xDC00', L'?'}, {L'\xD834', L'?'}};
         },
         L"x\xD800y\xDC00\xD834\xDD1E\xD834.dat",
         6,
         {L"lacks \xD800 (U+D800), \xDC00 (U+DC00), \xD834\xDD1E (U+1D11E), \xD834 (U+D834) of",
          L"\"Use Unicode UTF-8 for worldwide language support\")."}},
        {"a Java home whose path the runtime would read otherwise",
         [](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Łava");
             m.files[L"C:\\Łava\\bin\\javaw.exe"] = "MZ";
             m.ansiLacks = {{L'Ł', L'L'}};
         },
         L"report.dat",
         6,
         {L"of the Java runtime's path", L"Reinstall the Java runtime into a folder",
          L"support\")."}},
        {"a short name that makes the command line too long",
         [](Machine& m) {
             m.ansiLacks = {{L'ā', L'a'}};
             m.shortPaths[L"ā"] = L"C:\\" + std::wstring(33000, L'a');
         },
         L"ā",
         4,
         {std::to_wstring((Javaw + JarArgument + L" -e C:\\").size() + 33000) + L" characters",
          L"It was " + std::to_wstring((Javaw + JarArgument + L" -e ā").size()) +
              L" characters until the short names went in for what code page 1252 lacks: pass "
              L"fewer arguments, or rename the files with characters of that code page."}},
        {"a Java home too long for any command line",
         [](Machine& m) { SetJavaHome(m.registry32, RegSz, L"C:\\" + std::wstring(33000, L'j')); },
         L"",
         4,
         {L"the command line is 33",
          L"The Java runtime's folder alone makes it too long: "
          L"reinstall the Java runtime in a folder with a shorter path."}},
        {"an application folder too long for any command line",
         [](Machine& m) {
             m.executablePath = L"C:\\" + std::wstring(33000, L'v') + L"\\Pelorin.exe";
             m.files[DirectoryOf(m.executablePath) + L"\\JRE.pelorin"] =
                 "SOFTWARE\\JavaSoft\\JRE\\1.8";
         },
         L"x",
         4,
         {L"the command line is 33",
          L"reinstall the application in a folder with a shorter path."}},
        {"usage window can't be created",
         [](Machine& m) { m.failingCall = L"CreateWindowExW"; },
         L"-?",
         5,
         {L"usage window", L"Access is denied", L"CreateWindowExW, error 5",
          L"Close other programs and try again, from a signed-in Windows desktop."}},
        {"a system call fails unexpectedly",
         [](Machine& m) { m.failingCall = L"GetModuleFileNameW"; },
         L"report.dat",
         1,
         {L"unexpected failure", L"Access is denied", L"GetModuleFileNameW, error 5",
          L"Try again; if it happens again, reinstall the application."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.arrange(machine());
        EXPECT_EQ(Run(c.arguments), c.expectedStatus);
        EXPECT_TRUE(machine().started.empty());
        EXPECT_TRUE(machine().shownForms.empty());
        ASSERT_EQ(machine().reports.size(), 1u);
        for (const auto& mention : c.reportMentions) {
            EXPECT_NE(machine().reports[0].find(mention), std::wstring::npos)
                << "report lacks [" << std::string(mention.begin(), mention.end()) << "]";
        }
        EXPECT_LT(machine().reports[0].size(), 1500u) << "a report is bounded";
        const std::wstring& report = machine().reports[0];
        EXPECT_EQ(std::count(report.begin(), report.end(), L'\n'),
                  std::count(report.begin(), report.end(), L'\r'))
            << "CR LF line ends";
        EXPECT_TRUE(machine().reports[0].ends_with(c.reportMentions.back()))
            << "the advice that ends the report";
    }
}

TEST_F(MainSequence, StartsTheLongestCommandLineWindowsStarts) {
    const std::wstring arguments(32766 - (Javaw + JarArgument + L" -e ").size(), L'x');
    EXPECT_EQ(Decide(arguments), Primary(L"C:\\Java\\jre", L" -e " + arguments));
}

// The usage window is shown even when no key is usable, and nothing is started.
TEST_F(MainSequence, HelpRequestShowsTheUsageWindowAndStartsNothing) {
    machine().registry32.clear();
    EXPECT_EQ(Decide(L"  -? report.dat"), std::nullopt);
    EXPECT_TRUE(machine().started.empty());
    EXPECT_TRUE(machine().reports.empty());
    EXPECT_EQ(machine().shownForms.size(), 1u);
    // Unquoted, a dot in a folder and none in the name: the program, as Windows found it.
    machine().executablePath = L"C:\\My Apps\\v1.2\\Pelorin.exe";
    machine().files[L"C:\\My Apps\\v1.2\\JRE.pelorin"] = "SOFTWARE\\JavaSoft\\JRE\\1.8\r\n";
    machine().commandLine = L"C:\\My Apps\\v1.2\\Pelorin -?";
    Trace trace;
    EXPECT_EQ(PelorinMain::Main(trace), std::nullopt);
    EXPECT_EQ(machine().shownForms.size(), 2u);
}

// A 32-bit Windows keeps one view: it is asked once, and the trace says which it was.
TEST_F(MainSequence, AsksTheOneViewOfA32BitWindowsOnce) {
    machine().twoRegistryViews = false;
    SetJavaHome(machine().registry32, RegSz, L"C:\\Gone");
    machine().environment[L"PELORIN_TRACE"] = L"C:\\trace.txt";
    EXPECT_EQ(Run(L"x"), 0);
    const std::wstring trace = platform::Utf8ToWide(machine().files[L"C:\\trace.txt"]);
    EXPECT_NE(trace.find(L"1.8, the one view of a 32-bit Windows: JavaHome = [C:\\Gone]"),
              std::wstring::npos)
        << trace;
    EXPECT_EQ(trace.find(L"registry: "), trace.rfind(L"registry: ")) << trace;
}

TEST_F(MainSequence, TraceTellsWhenStandardOutputDidNotTakeTheUsageText) {
    machine().windowsCanBeSeen = false;
    machine().standardOutputTakes = false;
    machine().environment[L"PELORIN_TRACE"] = L"C:\\trace.txt";
    EXPECT_EQ(Run(L"-?"), 0);
    EXPECT_NE(platform::Utf8ToWide(machine().files[L"C:\\trace.txt"])
                  .find(L"standard output did not take the usage text"),
              std::wstring::npos);
}

// Each outcome a step can have, as the trace tells it.
TEST_F(MainSequence, TraceNamesEachOutcome) {
    struct TraceCase {
        std::function<void(Machine&)> arrange;
        const wchar_t* line;
        std::wstring arguments = L"report.dat";
    };
    const TraceCase cases[] = {
        {[](Machine& m) { SetJavaHome(m.registry32, RegDword, L"x"); },
         L", 32-bit view: JavaHome is of type REG_DWORD, not REG_SZ"},
        {[](Machine& m) { SetJavaHome(m.registry32, RegSz, L"jre"); },
         L"JavaHome = [jre], not a whole folder path: passed over"},
        {[](Machine& m) { m.registry32[KeyPath].clear(); }, L"no value JavaHome (error 2)"},
        {[](Machine& m) { SetJavaHome(m.registry32, RegSz, L"C:\\Gone"); },
         L"32-bit view: JavaHome = [C:\\Gone], which holds no bin\\javaw.exe: passed over"},
        {[](Machine& m) { m.files[PointerFile] = std::string("\xFE\xFF\0S\0\\\0K", 8); },
         L"read as UTF-16 big-endian after the mark, first item: [S\\K]"},
        {[](Machine& m) { m.files[PointerFile] = "\xFF\xFE" + std::string(200000, ' '); },
         L"read as UTF-16 little-endian after the mark, first item: none within the first 131072 "
         L"bytes, so it names no registry key"},
        {[](Machine& m) { m.files.clear(); },
         L"report, exit status 2: File not found: the runtime pointer file could not be "
         L"opened.\r\n            C:\\Program Files\\Virelt\\JRE.pelorin\r\n"},
        {[](Machine& m) {
             m.failingCall = L"CreateProcessW";
             m.failingText = L"Line one.\r\nLine two.";
         },
         L"Reason: Line one.\r\n            Line two. (CreateProcessW, error 5)\r\n"},
        // The steps up to the start are written before it, the outcome after it.
        {[](Machine&) {},
         L"Virelt.jar\"  -e report.dat\r\nPelorin " PELORIN_VERSION_TEXT L" trace, "},
        {[](Machine& m) {
             m.registry32.clear();
             SetJavaHome(m.registry64, RegSz, L"C:\\Java\\jre");
         },
         L"Java home: C:\\Java\\jre, from the 64-bit view\r\n"},
        {[](Machine&) {},
         L"the Java runtime reads its command line in code page 1252, which holds every part of "
         L"it\r\n"},
        {[](Machine& m) {
             m.executablePath = L"C:\\Łukasz\\Pelorin.exe";
             m.files[L"C:\\Łukasz\\JRE.pelorin"] = "SOFTWARE\\JavaSoft\\JRE\\1.8";
             m.shortPaths[L"C:\\Łukasz"] = L"C:\\UKASZ~1";
             m.ansiLacks = {{L'Ł', L'L'}};
         },
         L"code page 1252 lacks Ł (U+0141) of the application's folder [C:\\Łukasz]: it goes as "
         L"[C:\\UKASZ~1]\r\n"},
        {[](Machine& m) {
             m.ansiLacks = {{L'J', L'?'}};
             m.files[L"C:\\Program Files\\Java\\bin\\java.exe"] = "MZ";
         },
         L"lacks J (U+004A) of the Java runtime's path [C:\\Java\\jre]: no other name of it reads "
         L"back the same, so nothing is started\r\n"},
        {[](Machine& m) {
             SetJavaHome(m.registry32, RegSz, L"C:\\Łava");
             m.ansiLacks = {{L'Ł', L'L'}};
         },
         L"lacks Ł (U+0141) of the Java runtime's path [C:\\Łava]: it is not there, so it goes as "
         L"the registry names it\r\n"},
        {[](Machine& m) {
             m.ansiLacks = {{L'ā', L'a'}};
         },
         L"  and 2 more parts that code page 1252 lacks\r\n", L"-v ā ā ā ā ā ā ā ā ā ā"},
        {[](Machine& m) {
             m.environment[L"JDK_JAVA_OPTIONS"] = L"-Dcity=Łodz\n";
             m.ansiLacks = {{L'Ł', L'L'}};
         },
         L"reads JDK_JAVA_OPTIONS = [-Dcity=Łodz␊]; code page 1252 lacks Ł (U+0141), which it "
         L"reads as ?\r\n"},
        // Halves apart named each as itself; a long value on one line, its line breaks seen; and
        // past 32 lacking characters, the rest counted.
        {[](Machine& m) {
             m.environment[L"_JAVA_OPTIONS"] = L"-Dx=a\xD800"
                                               L"b\xDC00"
                                               L"c\xDBFF";
             m.ansiLacks = {{L'\xD800', L'?'}, {L'\xDC00', L'?'}, {L'\xDBFF', L'?'}};
         },
         L"lacks \xD800 (U+D800), \xDC00 (U+DC00), \xDBFF (U+DBFF), which it reads as ?\r\n"},
        {[](Machine& m) { m.environment[L"JAVA_TOOL_OPTIONS"] = std::wstring(5000, L'a') + L"Z"; },
         L"aaZ (5001 characters; the middle is left out here)]\r\n"},
        // One variable set beside two that are not: one line.
        {[](Machine& m) { m.environment[L"_JAVA_OPTIONS"] = L"-Xmx1g"; }, L"OPTIONS = ["},
        {[](Machine& m) { m.environment[L"JAVA_TOOL_OPTIONS"] = L"\x85\u2028\x9B\u2029"; },
         L"JAVA_TOOL_OPTIONS = [\u2424\u2424\u2426\u2424]\r\n"},
        {[](Machine& m) {
             for (wchar_t c = 0x4E00; c < 0x4E28; ++c) {
                 m.environment[L"JDK_JAVA_OPTIONS"] += c;
                 m.ansiLacks[c] = L'?';
             }
         },
         L"\u4E1F (U+4E1F), and 8 more, which it reads as ?\r\n"},
    };
    for (const auto& [arrange, line, arguments] : cases) {
        Fresh();
        arrange(machine());
        machine().environment[L"PELORIN_TRACE"] = L"C:\\trace.txt";
        Run(arguments);
        const std::wstring trace = platform::Utf8ToWide(machine().files[L"C:\\trace.txt"]);
        EXPECT_TRUE(trace.starts_with(
            L"Pelorin " PELORIN_VERSION_TEXT L" trace, 2026-01-07 09:05:03.042, process 4241"));
        EXPECT_NE(trace.find(line), std::wstring::npos) << line << L"\n" << trace;
        EXPECT_EQ(trace.find(line), trace.rfind(line)) << line << L": a step once";
        // The first step comes one tick of the clock, 250 microseconds, after the start.
        EXPECT_NE(trace.find(L"\r\n    0.2 ms  command line: "), std::wstring::npos) << trace;
        // Each step's line begins with its milliseconds, to a tenth, right-aligned in ten places.
        for (auto at = trace.find(L"\r\n"); at + 2 < trace.size();
             at = trace.find(L"\r\n", at + 2)) {
            const std::wstring_view start = std::wstring_view(trace).substr(at + 2, 12);
            EXPECT_TRUE(start == std::wstring(12, L' ') || start.starts_with(L"Pelorin ") ||
                        (start[5] == L'.' && start.substr(7) == L" ms  "))
                << std::wstring(start);
        }
    }
}

} // namespace
