// The pure string functions that decide what command line starts the application.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The argument string: the text after the program name of the program's command line. A name
// that begins with a double quote runs to the next one, when namesProgram accepts the text between
// them or there is no next one. An unquoted name is the shortest run of text up to a blank, a tab
// or the end that namesProgram accepts, as Windows tries those runs when it finds the program of
// an unquoted command line (a file association written without quotes gives one). When neither
// names the program, the name runs to the first blank or tab outside quotes, as the C runtime
// reads it, when namesProgram accepts that with its quotes taken out (cmd.exe passes on
// "C:\Program Files\Virelt"\Pelorin.exe as typed); otherwise to the closing quote or the first
// blank or tab. The blanks and tabs that separate it from the arguments are skipped.
std::wstring
ArgumentsAfterProgramName(std::wstring_view commandLine,
                          const std::function<bool(std::wstring_view run)>& namesProgram);

// The folder part of a path: everything before its last backslash, so that a drive root gives C:.
std::wstring DirectoryOf(std::wstring_view path);

// The argument string with blanks (only U+0020) removed from both ends.
std::wstring TrimBlanks(std::wstring_view text);

// Whether a path names its place whole: a drive letter, a colon and a backslash (or slash), or a
// UNC path with a server and a share (\\server\share, \\?\C:\...). Any other path is resolved
// against the current drive or directory, or names no place at all.
bool IsAbsolutePath(std::wstring_view path);

// Whether a JavaHome value can name the runtime's folder: an absolute path without a double quote
// or a control character (U+0000 to U+001F, U+007F). No Windows path holds them; a quote in the
// quoted program path would end it early, and a line end would make the path, and its report,
// another.
bool IsUsableJavaHome(std::wstring_view javaHomeDir);

// The file that PELORIN_TRACE names, when a trace may be written there; empty otherwise. Blanks
// at both ends, then one pair of surrounding double quotes are removed first (cmd's set keeps
// them). What is left must have the form a Java home must have, hold no colon but the drive's,
// and name no device: not the \\.\ or \\?\ forms, not a share's pipes or mailslots, and no CON,
// NUL, AUX, PRN, CONIN$, CONOUT$, COM1 to COM9 or LPT1 to LPT9 (or COM and LPT with the
// superscript digits one to three), with or without an extension. A
// relative path would write into the current directory, which for a data file opened from Explorer
// is the folder of the user's data.
std::wstring TraceFilePath(std::wstring_view variable);

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
// the Java home is empty or blanks only.
std::wstring ComposeLaunchCommand(const std::wstring& javawPrefix, const std::wstring& jarArgument,
                                  const std::wstring& argLine, const std::wstring& javaHomeDir);
