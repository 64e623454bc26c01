// The rules for the paths Pelorin is given: which are whole, which may name a Java home, and
// where a trace may be written.
#pragma once

#include <string>
#include <string_view>

// The folder part of a path: everything before its last backslash, so that a drive root gives C:.
std::wstring DirectoryOf(std::wstring_view path);

// Whether a path names its place whole: a drive letter, a colon and a backslash (or slash), or a
// UNC path with a server and a share (\\server\share, \\?\C:\...). Any other path is resolved
// against the current drive or directory, or names no place at all.
bool IsAbsolutePath(std::wstring_view path);

// Whether a path is whole and can stand in quotes on a command line or in a report: an absolute
// path without a double quote or a control character (U+0000 to U+001F, U+007F). No Windows path
// holds them; a quote in the quoted program path would end it early, and a line end would make
// the path, and its report, another. A JavaHome value and the trace's path must be such paths.
bool IsQuotableWholePath(std::wstring_view path);

// The file that PELORIN_TRACE names, when a trace may be written there; empty otherwise: a whole
// path that names no device, by the rules of "When the application does not start" in the
// reference. A relative path would write into the current directory, which for a data file
// opened from Explorer is the folder of the user's data.
std::wstring TraceFilePath(std::wstring_view variable);
