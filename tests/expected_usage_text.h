// The usage window's text, as the user must see it, for the host and the Windows-side tests.
#pragma once

inline constexpr wchar_t ExpectedUsageText[] =
    L"Usage: Pelorin [-options] [datafile] [outputfile] \r\n"
    L"where options include: \r\n"
    L"-e datafile = Edit the datafile \r\n"
    L"-v datafile = View the datafile \r\n"
    L"-s datafile [outputfile] = Save the data file to browser or output file \r\n"
    L"-? = Help\r\n"
    L"\r\n"
    L"and datafile   = the file created using Pelorin\r\n"
    L"and outputfile = the html output file of the datafile\r\n";
