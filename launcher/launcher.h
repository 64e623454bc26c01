// The pure string functions that decide what command line starts the application.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The argument string with blanks (only U+0020) removed from both ends.
std::wstring TrimBlanks(std::wstring_view text);

// A double quote, the Java home as given, "\bin\javaw.exe", a double quote and one blank.
std::wstring MakeJavawPrefix(const std::wstring& javaHomeDir);

// A double quote, the directory, "\Virelt.jar", a double quote and one blank.
std::wstring MakeJarArgument(const std::wstring& executableDir);

// A bare data-file argument becomes an explicit edit request: anything that does not begin with
// one of the application's options -p, -s, -v or -e gets " -e " in front. Empty stays empty.
std::wstring NormaliseArguments(const std::wstring& argLine);

// The whole launch command: javaw.exe under the Java home, or java.exe from the search path when
// the Java home is empty or blanks only.
std::wstring ComposeLaunchCommand(const std::wstring& javawPrefix, const std::wstring& jarArgument,
                                  const std::wstring& argLine, const std::wstring& javaHomeDir);
