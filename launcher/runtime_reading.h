// What the Java runtime reads of the launch. Its launchers are ANSI programs: they take their
// command line from GetCommandLineA and their own path from GetModuleFileNameA, which Windows
// converts for them to the system's ANSI code page, where a character the page lacks becomes a
// look-alike or a question mark. A path would then name another file or none, and a look-alike of
// a quote, a backslash or a hyphen would make other arguments or an option. So each part the
// runtime would read otherwise goes by another name of the same file that reads back exactly,
// its short (8.3) name; where there is none, nothing is started.
#pragma once

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

// A part that the runtime would read otherwise.
struct ChangedPart {
    RuntimePart part;
    std::size_t argument = 0; // of an argument: its number among those passed on, from 1
    std::wstring text;        // the path, or the argument's value, as the user or installer gave it
    std::wstring lacking;     // the characters of text that the code page lacks, each once
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

// The characters of text that the runtime's code page lacks, each once; a surrogate pair is one
// character.
std::wstring LackingCharacters(std::wstring_view text);

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
