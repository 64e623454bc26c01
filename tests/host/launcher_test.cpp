#include "launcher/command_line.h"
#include "launcher/launch_command.h"
#include "launcher/paths.h"
#include "launcher/program_search.h"
#include "launcher/runtime_reading.h"
#include "launcher/wording.h"
#include "tests/support/memory_platform.h"

#include <gtest/gtest.h>

namespace {

// A text, and what the function under test makes of it.
struct TextAndResult {
    const wchar_t* text;
    const wchar_t* expected;
};

TEST(NormaliseArguments, RewritesBareDataFilesAndKeepsOptions) {
    const TextAndResult cases[] = {
        {L"", L""},
        {L"report.dat", L" -e report.dat"},
        {L"-e x.dat", L"-e x.dat"},
        {L"-v x.dat", L"-v x.dat"},
        {L"-s x.dat out.html", L"-s x.dat out.html"},
        {L"-p", L"-p"},
        {L"-ex", L"-ex"},
        {L"-px", L"-px"},
        {L"-E x", L" -e -E x"},
        {L"-", L" -e -"},
        {L"-h", L" -e -h"},
        {L"/?", L" -e /?"},
        {L"?", L" -e ?"},
        {L"-?", L" -e -?"},
        {L"\"C:\\My Data\\a b.dat\"", L" -e \"C:\\My Data\\a b.dat\""},
        {L"report.dat\t", L" -e report.dat\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormaliseArguments(c.text), c.expected) << "argument string: " << c.text;
    }
}

TEST(TrimBlanks, RemovesOnlyBlanksFromBothEnds) {
    const TextAndResult cases[] = {
        {L"", L""}, {L"    ", L""}, {L"  a b  ", L"a b"}, {L"\ta\t", L"\ta\t"}, {L" x\t ", L"x\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimBlanks(c.text), c.expected) << "text: " << c.text;
    }
}

TEST(ArgumentsAfterProgramName, SkipsTheQuotedNameOrTheExecutablesOwnPathOrTheFirstWord) {
    const std::wstring exe = L"C:\\Program Files\\Virelt\\Pelorin.exe";
    const TextAndResult cases[] = {
        {L"Pelorin.exe report.dat", L"report.dat"},
        {L"\"C:\\Program Files\\Virelt\\Pelorin.exe\" -v a.dat", L"-v a.dat"},
        {L"\"C:\\Program Files\\Virelt\\Pelorin.exe\"", L""},
        {L"\"C:\\Program Files\\Virelt\\Pelorin.exe\"report.dat", L"report.dat"},
        {L"Pelorin.exe", L""},
        {L"Pelorin.exe\treport.dat\t", L"report.dat\t"},
        {L"Pelorin.exe  \t  a  b  ", L"a  b  "},
        {L"Pelorin.exe \"quoted arg\" x", L"\"quoted arg\" x"},
        {L"\"unclosed name", L""},
        {L"", L""},
        // A file association written without quotes starts the exe's path unquoted.
        {L"C:\\Program Files\\Virelt\\Pelorin.exe report.dat", L"report.dat"},
        {L"C:\\Program Files\\Virelt\\Pelorin.exe -?", L"-?"},
        {L"c:\\program files\\virelt\\PELORIN.EXE\treport.dat", L"report.dat"},
        {L"C:\\Program Files\\Virelt\\Pelorin.exe", L""},
        {L"C:\\Program Files\\Virelt\\Pelorin.exes x", L"Files\\Virelt\\Pelorin.exes x"},
        {L"C:\\Program Files\\Other\\Pelorin.exe x", L"Files\\Other\\Pelorin.exe x"},
        // Windows adds .exe to a name without an extension.
        {L"C:\\Program Files\\Virelt\\Pelorin report.dat", L"report.dat"},
        {L"C:\\Program Files\\Virelt\\Pelorin -? x", L"-? x"},
        // cmd.exe passes on quotes that close inside the path, as typed.
        {L"\"C:\\Program Files\\Virelt\"\\Pelorin.exe -?", L"-?"},
        {L"\"C:\\Program Files\"\\Virelt\\Pelorin.exe\t-?", L"-?"},
        {L"C:\\Program\" \"Files\\Virelt\\Pelorin.exe -v x", L"-v x"},
        {L"\"C:\\Program Files\"\\Other\\Pelorin.exe x", L"\\Other\\Pelorin.exe x"},
        // A path Windows makes whole, and another name of the same file.
        {L"Program Files\\Virelt\\Pelorin.exe x", L"x"},
        {L"C:\\Program Files\\VIRELT~1\\Pelorin.exe x", L"x"},
    };
    memory_platform::Reset();
    memory_platform::TheMachine().fullPaths[L"Program Files\\Virelt\\Pelorin.exe"] = exe;
    memory_platform::TheMachine().otherNames[L"C:\\Program Files\\VIRELT~1\\Pelorin.exe"] = exe;
    for (const auto& c : cases) {
        EXPECT_EQ(ArgumentsAfterProgramName(
                      c.text, [&](std::wstring_view run) { return NamesProgram(run, exe); }),
                  c.expected)
            << c.text;
    }
    // The longest line, whose first word names the program only through PATH: the work is in
    // proportion to the line, counted in the characters the program-name test hands the system.
    for (const std::wstring word : {L" a", L" a\\Pelorin.exe"}) {
        std::wstring line = L"Pelorin.exe";
        while (line.size() + word.size() <= 32767) {
            line += word;
        }
        memory_platform::Reset();
        EXPECT_EQ(ArgumentsAfterProgramName(
                      line, [&](std::wstring_view run) { return NamesProgram(run, exe); }),
                  line.substr(12));
        EXPECT_LT(memory_platform::TheMachine().pathCharactersExamined, 4 * line.size());
    }
}

TEST(DirectoryOf, EverythingBeforeTheLastBackslash) {
    const TextAndResult cases[] = {
        {L"C:\\Program Files\\Virelt\\Pelorin.exe", L"C:\\Program Files\\Virelt"},
        {L"C:\\Pelorin.exe", L"C:"},
        {L"\\\\server\\share\\Pelorin.exe", L"\\\\server\\share"},
        {L"Pelorin.exe", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DirectoryOf(c.text), c.expected) << c.text;
    }
}

// Which values can name the Java runtime's folder.
TEST(IsQuotableWholePath, OnlyAWholeFolderPathWithoutAQuote) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\Java\\jre ", true},
        {L"\\\\server\\share\\jre", true},
        {L"\\\\server/share\\jre", true},
        {L"\\\\server/share", true},
        {L"\\\\\\x\\y", false},
        {L"\\\\?\\C:\\Java", true},
        {L"d:/java", true},
        {L" C:\\Java", false},
        {L"C:\\Java\x7F", false},
        {L"", false},
        {L"   ", false},
        {L"1:\\Java", false},
        {L"C:", false},
        {L"D:\\", true},
        {L"Z:\\Java", true},
        {L"z:\\", true},
        {L"A:\\", true},
        {L"a:\\", true},
        {L"@:\\x", false},
        {L"[:\\x", false},
        {L"`:\\x", false},
        {L"{:\\x", false},
        {L"\\\\", false},
        {L"\\\\\\", false},
        {L"\\\\server", false},
        {L"\\\\server\\", false},
        {L"\\\\server\\\\x", false},
        {L"\\\\s\\x", true},
        {L"C:\\Java\\jre\r\n", false},
        {L"C:\\Java\tjre", false},
        {L"C:\\Java\x1Fjre", false},
        {L"C:\\Java jre", true},
    };
    for (const auto& [javaHome, usable] : cases) {
        EXPECT_EQ(IsQuotableWholePath(javaHome), usable) << javaHome;
    }
}

struct CommandCase {
    const wchar_t* javaHome;
    const wchar_t* executableDir;
    const wchar_t* argLine; // already normalised
    const wchar_t* expected;
};

TEST(ComposeLaunchCommand, BuildsThePrimaryOrTheFallbackShape) {
    const CommandCase cases[] = {
        {L"C:\\Java\\jre", L"C:\\App", L" -e report.dat",
         L"\"C:\\Java\\jre\\bin\\javaw.exe\" -jar \"C:\\App\\Virelt.jar\"  -e report.dat"},
        {L"C:\\Java\\jre", L"C:\\App", L"",
         L"\"C:\\Java\\jre\\bin\\javaw.exe\" -jar \"C:\\App\\Virelt.jar\" "},
        {L"", L"C:\\App", L"-v x.dat", L"java.exe -jar \"C:\\App\\Virelt.jar\" -v x.dat"},
        {L"C:\\Java\\", L"D:\\Programs\\Vi relt", L"-e a",
         L"\"C:\\Java\\\\bin\\javaw.exe\" -jar \"D:\\Programs\\Vi relt\\Virelt.jar\" -e a"},
        {L"C:\\Java", L"C:", L"", L"\"C:\\Java\\bin\\javaw.exe\" -jar \"C:\\Virelt.jar\" "},
    };
    for (const auto& c : cases) {
        const std::wstring command = ComposeLaunchCommand(
            MakeJavawPrefix(c.javaHome), MakeJarArgument(c.executableDir), c.argLine, c.javaHome);
        EXPECT_EQ(command, c.expected) << "Java home: [" << c.javaHome << "]";
    }
}

// The Microsoft C runtime's rules, as its documentation gives them.
TEST(SplitArguments, ReadsQuotesAndBackslashesAsTheRuntimeDoes) {
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"", {}},
        {L" \t ", {}},
        {L" -e  \"C:\\a b\\x.dat\"\tout", {L"-e", L"C:\\a b\\x.dat", L"out"}},
        {L"a\\\\b d\"e f\"g h", {L"a\\\\b", L"de fg", L"h"}},
        {L"a\\\"b c", {L"a\"b", L"c"}},
        {L"a\\\\\"b c\" d", {L"a\\b c", L"d"}},
        {L"\"a\"\"b\" \"\"", {L"a\"b", L""}},
        {L"\"unclosed x", {L"unclosed x"}},
    };
    for (const auto& [line, expected] : cases) {
        std::vector<std::wstring> values;
        for (const auto& span : SplitArguments(line)) {
            values.push_back(span.value);
        }
        EXPECT_EQ(values, expected) << line;
    }
    // Where each stands in the string, its quotes included.
    EXPECT_EQ(SplitArguments(L" -e \"a b\""),
              (std::vector<ArgumentSpan>{{1, 2, L"-e"}, {4, 5, L"a b"}}));
}

} // namespace

namespace {

TEST(TraceFilePath, OnlyAWholePathThatNamesNoDevice) {
    const TextAndResult cases[] = {
        {L"\"C:\\logs\\t.txt\"", L"C:\\logs\\t.txt"},
        {L"\\\\server\\share\\t.txt", L"\\\\server\\share\\t.txt"},
        {L"C:\\logs\\COM10.txt", L"C:\\logs\\COM10.txt"},
        {L"C:\\logs\\console.txt", L"C:\\logs\\console.txt"},
        {L"t.txt", L""},
        {L"\"C:\\logs\\t.txt", L""},
        {L"C:\\logs\\t\r\n.txt", L""},
        {L"\\\\.\\C:\\t.txt", L""},
        {L"\\\\?\\C:\\t.txt", L""},
        {L"\\\\server\\PIPE\\x", L""},
        {L"\\\\server\\mailslot\\x", L""},
        {L"C:\\logs\\NUL.txt", L""},
        {L"C:\\con .log", L""},
        {L"C:\\COM1", L""},
        {L"C:\\logs\\lpt9.txt", L""},
        {L"C:\\AUX", L""},
        {L"C:\\prn", L""},
        {L"C:\\CONOUT$", L""},
        {L"C:\\rt\\COM1:", L""},
        {L"C:\\t\\CON.txt.log", L""},
        {L"c:\\t\\aux", L""},
        {L"C:\\t/CON", L""},
        {L"C:\\rt\\x.log:s", L""},
        {L" \"C:\\rt\\trace.txt\" ", L"C:\\rt\\trace.txt"},
        {L"C:\\rt\\COM\u00B9", L""},
        {L"C:\\rt\\lpt\u00B3.log", L""},
        {L"C:\\rt\\COM\u2074", L"C:\\rt\\COM\u2074"},
        {L"\\\\.\\GLOBALROOT\\Device\\x\\t.log", L""},
        {L"\\\\?\\Volume{a8f0e2c1-0000-0000-0000-100000000000}\\t.log", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TraceFilePath(c.text), c.expected) << c.text;
    }
}

// A report shows 1,000 characters whole, and more by their first 600 and last 300; a surrogate
// pair on a cut goes with the middle.
TEST(Abbreviated, ShowsTheStartAndEndAndNeverSplitsAPair) {
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    const std::wstring note = L"\n(1001 characters; the middle is left out here)";
    const std::pair<std::wstring, std::wstring> cases[] = {
        {std::wstring(1000, L'a'), std::wstring(1000, L'a')},
        {std::wstring(600, L'a') + std::wstring(101, L'b') + std::wstring(300, L'c'),
         std::wstring(600, L'a') + L" \u2026 " + std::wstring(300, L'c') + note},
        {std::wstring(599, L'a') + pair + std::wstring(99, L'b') + pair + std::wstring(299, L'c'),
         std::wstring(599, L'a') + L" \u2026 " + std::wstring(299, L'c') + note},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(Abbreviated(text), shown);
    }
}

// A surrogate pair is one character; a half without its partner, as NTFS allows in a name, is
// named as itself, never joined to another; past 32, the rest are counted.
TEST(NamedCharacters, NamesEachCharacterByItsCodePoint) {
    const std::pair<std::vector<std::wstring>, std::wstring> cases[] = {
        {{L"\xD800", L"\u0141"}, L"\xD800 (U+D800), \u0141 (U+0141)"},
        {{L"\xDC00", L"x"}, L"\xDC00 (U+DC00), x (U+0078)"},
        {{L"\xD83D\xDE00"}, L"\xD83D\xDE00 (U+1F600)"},
        {{L"\xD800", L"\xDC00"}, L"\xD800 (U+D800), \xDC00 (U+DC00)"},
    };
    for (const auto& [characters, named] : cases) {
        EXPECT_EQ(NamedCharacters(characters), named);
    }
    std::wstring many;
    for (int i = 0; i < 32; ++i) {
        many += L"a (U+0061), ";
    }
    EXPECT_EQ(NamedCharacters(std::vector<std::wstring>(34, L"a")), many + L"and 2 more");
}

TEST(WithInserts, NamesTheProgramAsInsertOneAndLeavesOutTheOthers) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"%1 is not a valid Win32 application.", L"C:\\J\\javaw.exe",
         L"C:\\J\\javaw.exe is not a valid Win32 application."},
        {L"The file %1!s! needs %2.", L"x", L"The file x needs."},
        {L"Cannot run %1 here.", L"", L"Cannot run here."},
        {L"%12 of 100% done%0", L"x", L" of 100% done%0"},
        {L"Copy %2 to %9 and %3.", L"x", L"Copy to and."},
    };
    for (const auto& [message, program, filled] : cases) {
        EXPECT_EQ(WithInserts(message, program), filled) << message;
    }
}

} // namespace
