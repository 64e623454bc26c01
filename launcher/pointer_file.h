// The runtime pointer file JRE.pelorin: its first data item is the registry key below
// HKEY_LOCAL_MACHINE that names the Java runtime to use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The first data item of the file's bytes, read the way sequential data input reads a string:
// leading blanks are skipped; a quoted item runs to the next double quote (or the end of the
// data) and may hold commas and line ends; any other item runs up to the first comma or line
// end, and loses its trailing blanks. No value when the data ends before an item begins.
std::optional<std::string> ReadFirstDataItem(std::string_view bytes);
