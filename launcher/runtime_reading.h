// What the Java runtime reads of the launch. Its launchers are ANSI programs: they take their
// command line from GetCommandLineA and their own path from GetModuleFileNameA, which Windows
// converts for them to the system's ANSI code page, where a character the page lacks becomes a
// look-alike or a question mark. A path would then name another file or none, and a look-alike of
// a quote, a backslash or a hyphen would make other arguments or an option. So each part the
// runtime would read otherwise goes by another name of the same file that reads back exactly,
// its short (8.3) name; where there is none, nothing is started.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The parts of the launch that the runtime reads.
struct RuntimeParts {
    std::wstring runtime;       // the Java home, or without one the java.exe found
    std::wstring executableDir; // the folder of Virelt.jar
    std::wstring argLine;       // the normalised argument string
    // Whether the program the runtime part leads to is there. One that is not, such as a runtime
    // uninstalled since, goes as the registry names it: Windows can't start it by any name, and
    // its report then names the file the registry led to.
    bool runtimeThere = true;
};

enum class RuntimePart { Runtime, InstallFolder, Argument };

// What reports and the trace call a part, and what a user does about one that can't go: one
// switch over the parts, so that a part can't come without its words.
struct PartWords {
    const wchar_t* name;   // for an argument, followed by its number
    const wchar_t* remedy; // what to do, before "into a folder whose path has only characters..."
};
inline PartWords WordsFor(RuntimePart part) {
    switch (part) {
    case RuntimePart::Runtime:
        return {L"the Java runtime's path", L"Reinstall the Java runtime"};
    case RuntimePart::InstallFolder:
        return {L"the application's folder", L"Reinstall the application"};
    case RuntimePart::Argument:
        break;
    }
    return {L"argument ", L"Rename the file, or move it"};
}

// A part that the runtime would read otherwise.
struct ChangedPart {
    RuntimePart part;
    std::size_t argument = 0; // of an argument: its number among those passed on, from 1
    std::wstring text;        // the path, or the argument's value, as the user or installer gave it
    // The characters of text that the code page lacks, each once, in the order they first stand.
    std::vector<std::wstring> lacking;
    std::wstring replacement; // the same file by a name that reads back exactly; empty: none
    bool absent = false;      // the runtime is not there, so it goes as it is
};

// The part as reports and the trace name it: argument 2, the Java runtime's path, the
// application's folder.
std::wstring PartName(const ChangedPart& part);

struct RuntimeReading {
    std::uint32_t codePage = 0;
    RuntimeParts parts;               // each changed part by its replacement
    std::vector<ChangedPart> changed; // in the order of the command line
    // The first part that has no name that reads back exactly; nothing may start with it.
    const ChangedPart* Refused() const;
};

// The characters of text that the runtime's code page lacks, each once, as a list in the order they
// first stand in it: a surrogate pair is one character, and a half without its partner another,
// never joined to a half that stands elsewhere.
std::vector<std::wstring> LackingCharacters(std::wstring_view text);

// The Java runtime's option variables, which every runtime reads from the environment it
// inherits: a stray one is a common cause of a runtime that does not start.
struct OptionVariable {
    const wchar_t* name;
    std::wstring value;                // empty: not set
    std::vector<std::wstring> lacking; // what the code page lacks of it
};
struct OptionVariables {
    std::uint32_t codePage = 0;
    std::array<OptionVariable, 3> each;
};
OptionVariables ReadOptionVariables();

// Each part as the runtime is to be given it. Where every part reads back exactly, as on every
// machine whose code page holds the text, the parts stay as they are.
RuntimeReading ReadingForAnsiRuntime(const RuntimeParts& parts);

// One argument of an argument string, as the runtime splits it: by the rules of the Microsoft C
// runtime (blanks and tabs outside double quotes separate; 2n backslashes before a quote are n and
// the quote opens or closes, 2n + 1 are n and a quote; "" inside quotes is a quote).
struct ArgumentSpan {
    std::size_t start = 0; // where it stands in the string, quotes included
    std::size_t length = 0;
    std::wstring value;
    bool operator==(const ArgumentSpan&) const = default;
};
std::vector<ArgumentSpan> SplitArguments(std::wstring_view argLine);
