// The help request: an argument string that begins with -? shows the usage window instead of
// starting the application.
#pragma once

#include <string>

bool IsHelpRequest(const std::wstring& argLine);

// Shows the usage window modally and returns once the user has closed it.
void ShowHelpModal();

// The usage text as the window shows it, for a run where no window can be seen.
std::wstring UsageText();
