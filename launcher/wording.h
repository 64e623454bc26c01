// The wording of reports and the trace: the forms in which they show text.
#pragma once

#include "text/text.h"

#include <string>
#include <string_view>
#include <vector>

// Each character of the list with its code point, for reports and the trace: Ł (U+0141), 文
// (U+6587); past the first few dozen, how many more there are, so that a text of thousands of
// characters gives a line that can still be read.
std::wstring NamedCharacters(const std::vector<std::wstring>& characters);

// Text as a report shows it: whole when it is short; otherwise its start and its end, with the
// note that its middle is left out, and its length. A command line of thousands of characters
// is no use in a message box. A cut never splits a character in two. The note goes on a line of its
// own, or after beforeNote where the text must stay one line.
std::wstring Abbreviated(const std::wstring& text, std::wstring_view beforeNote = L"\n");

// The text with each control character (U+0000 to U+001F, U+007F) shown as its picture from the
// Control Pictures block (U+2400 to U+241F, U+2421), each other character that ends or breaks a
// line (U+0085, U+2028, U+2029) as the symbol for a new line (U+2424), and the other C1 controls
// (U+0080 to U+009F) as U+2426: a line end in an argument or a NUL in a file is seen, a line
// stays one line in any editor, and a count of characters stays true of what is shown.
std::wstring Visible(std::wstring_view text);

// A system's message with its inserts filled in: %1 is insertOne, any other (%2 to %99) is left
// out, and the blank before an insert left out goes with it.
std::wstring WithInserts(std::wstring_view message, std::wstring_view insertOne);
