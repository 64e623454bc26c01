#include "launcher/launcher.h"

#include <gtest/gtest.h>

namespace {

struct NormaliseCase {
    const wchar_t* argLine;
    const wchar_t* expected;
};

TEST(NormaliseArguments, RewritesBareDataFilesAndKeepsOptions) {
    const NormaliseCase cases[] = {
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
        EXPECT_EQ(NormaliseArguments(c.argLine), c.expected) << "argument string: " << c.argLine;
    }
}

TEST(TrimBlanks, RemovesOnlyBlanksFromBothEnds) {
    const NormaliseCase cases[] = {
        {L"", L""}, {L"    ", L""}, {L"  a b  ", L"a b"}, {L"\ta\t", L"\ta\t"}, {L" x\t ", L"x\t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimBlanks(c.argLine), c.expected) << "text: " << c.argLine;
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
        {L"   ", L"C:\\App", L"", L"java.exe -jar \"C:\\App\\Virelt.jar\" "},
        {L" C:\\Java ", L"C:\\App", L"-p",
         L"\" C:\\Java \\bin\\javaw.exe\" -jar \"C:\\App\\Virelt.jar\" -p"},
        {L"C:\\Java\\", L"D:\\Programs\\Vi relt", L"-e a",
         L"\"C:\\Java\\\\bin\\javaw.exe\" -jar \"D:\\Programs\\Vi relt\\Virelt.jar\" -e a"},
        {L"\tC:\\Java", L"C:", L"", L"\"\tC:\\Java\\bin\\javaw.exe\" -jar \"C:\\Virelt.jar\" "},
    };
    for (const auto& c : cases) {
        const std::wstring command = ComposeLaunchCommand(
            MakeJavawPrefix(c.javaHome), MakeJarArgument(c.executableDir), c.argLine, c.javaHome);
        EXPECT_EQ(command, c.expected) << "Java home: [" << c.javaHome << "]";
    }
}

} // namespace
