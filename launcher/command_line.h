// The program's own command line: where its name ends and its argument string begins.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The argument string: the text after the program name of the program's command line, the name
// found as Windows found it (see "The program's name is found as Windows found it" in the
// reference): namesProgram tells whether a run of text names the running program.
std::wstring
ArgumentsAfterProgramName(std::wstring_view commandLine,
                          const std::function<bool(std::wstring_view run)>& namesProgram);
