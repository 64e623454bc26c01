// The runtime pointer file JRE.pelorin: its first data item is the registry key below
// HKEY_LOCAL_MACHINE that names the Java runtime to use.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Pelorin reads no more of the file than this. An item that has not ended within it is longer
// than any registry key path, so it names no key.
inline constexpr std::size_t MaxPointerFileBytes = 128 * 1024;

// How the file is written: in the ANSI code page, or, after its byte-order mark, in UTF-8 or in
// UTF-16 (what editors call "Unicode", little-endian, and "Unicode big endian").
enum class PointerFileEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct DataItem {
    std::wstring value;
    bool ended = false; // the text holds the item's end, so that more text could not change it
};

// The first data item of the text, read the way sequential data input reads a string: leading
// blanks are skipped; a quoted item runs to the next double quote (or the end of the text) and
// may hold commas and line ends; any other item runs up to the first comma or line end, and loses
// its trailing blanks. No value when the text ends before an item begins.
std::optional<DataItem> ReadFirstDataItem(std::wstring_view text);

// What the pointer file says.
struct RuntimePointer {
    PointerFileEncoding encoding = PointerFileEncoding::Ansi;
    std::optional<std::wstring> keyPath; // none: the first item is too long to name a key
};

// Reads the pointer file at path, at most its first MaxPointerFileBytes and one byte more. Throws
// Failure: PointerFileNotFound when it can't be read, PointerFileEmpty when it holds no item.
RuntimePointer ReadRuntimePointer(const std::wstring& path);
