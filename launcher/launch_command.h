// The functions that build the launch command, and the path of javaw.exe it names.
#pragma once

#include <cstddef>
#include <string>

// The Java home as given, and "\bin\javaw.exe".
std::wstring JavawPath(const std::wstring& javaHomeDir);

// A double quote, the Java home as given, "\bin\javaw.exe", a double quote and one blank.
std::wstring MakeJavawPrefix(const std::wstring& javaHomeDir);

// A double quote, the directory, "\Virelt.jar", a double quote and one blank.
std::wstring MakeJarArgument(const std::wstring& executableDir);

// A bare data-file argument becomes an explicit edit request: anything that does not begin with
// one of the application's options -p, -s, -v or -e gets " -e " in front. Empty stays empty.
std::wstring NormaliseArguments(const std::wstring& argLine);

// The whole launch command: javaw.exe under the Java home, or java.exe from the search path when
// there is none, which the caller gives as an empty javaHomeDir.
std::wstring ComposeLaunchCommand(const std::wstring& javawPrefix, const std::wstring& jarArgument,
                                  const std::wstring& argLine, const std::wstring& javaHomeDir);

// Longest command line that Windows starts, terminator not counted.
inline constexpr std::size_t MaxCommandLineLength = 32766;
