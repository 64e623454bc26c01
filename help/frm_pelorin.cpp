#include "help/frm_pelorin.h"

#include "resources/resource_ids.h"

namespace frmPelorin {
namespace {

void AppendLine(platform::ModalForm& form, std::wstring_view line) {
    std::wstring text = form.ControlText(txtHelp);
    form.SetControlText(txtHelp, text.append(line).append(LineEnd));
}

} // namespace

platform::FormDescription Describe() {
    platform::FormDescription form;
    form.caption = L"Pelorin";
    form.icon = PELORIN_ICON;
    form.clientWidth = 7455;
    form.clientHeight = 3105;
    form.controls = {
        {txtHelp,
         platform::ControlKind::ReadOnlyText,
         {120, 120, 7215, 2415},
         L"",
         L"Verdana",
         975},
        {Close, platform::ControlKind::PushButton, {3120, 2640, 1095, 375}, L"&Close", L"", 0},
    };
    form.load = Form_Load;
    form.click = [](platform::ModalForm& shown, int controlId) {
        if (controlId == Close) {
            Close_Click(shown);
        }
    };
    return form;
}

void Form_Load(platform::ModalForm& form) {
    for (const std::wstring_view line : UsageLines) {
        AppendLine(form, line);
    }
}

void Close_Click(platform::ModalForm& form) {
    form.Unload();
}

} // namespace frmPelorin
