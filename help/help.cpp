#include "help/help.h"

#include "help/frm_pelorin.h"
#include "platform/platform.h"

bool IsHelpRequest(const std::wstring& argLine) {
    return argLine.starts_with(L"-?");
}

void ShowHelpModal() {
    platform::ShowModalForm(frmPelorin::Describe());
}

std::wstring UsageText() {
    std::wstring text;
    for (const std::wstring_view line : frmPelorin::UsageLines) {
        text.append(line).append(frmPelorin::LineEnd);
    }
    return text;
}
