// Decoding text from bytes, for every layer that reads stored text: the pointer file and the
// registry.
#pragma once

#include <string>
#include <string_view>

// UTF-16 bytes, little- or big-endian, as wide text; an odd last byte is left out.
std::wstring Utf16ToWide(std::string_view bytes, bool bigEndian);
