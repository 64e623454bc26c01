// frmPelorin, the usage window: its layout and its event handlers.
#pragma once

#include "platform/platform.h"

#include <string>
#include <string_view>

namespace frmPelorin {

// Not 1 or 2: the dialog manager takes those for OK and Cancel, and maps Enter and Esc to them.
enum ControlId : int { txtHelp = 100, Close = 101 };

// The usage text, a line each, every one ended by CR LF when shown; an empty line sets the legend
// apart. The array is as long as its lines.
inline constexpr std::wstring_view UsageLines[] = {
    L"Usage: Pelorin [-options] [datafile] [outputfile] ",
    L"where options include: ",
    L"-e datafile = Edit the datafile ",
    L"-v datafile = View the datafile ",
    L"-s datafile [outputfile] = Save the data file to browser or output file ",
    L"-? = Help",
    L"",
    L"and datafile   = the file created using Pelorin",
    L"and outputfile = the html output file of the datafile",
};

// What ends each usage line as it is shown, in the window and on standard output.
inline constexpr std::wstring_view LineEnd = L"\r\n";

// The window as the platform shows it: caption, client size and controls in twips.
platform::FormDescription Describe();

// Fills txtHelp with the usage text, one line at a time.
void Form_Load(platform::ModalForm& form);

void Close_Click(platform::ModalForm& form);

} // namespace frmPelorin
