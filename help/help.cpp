#include "help/help.h"

bool IsHelpRequest(const std::wstring& argLine) {
    return argLine.starts_with(L"-?");
}

void ShowHelpModal() {}
