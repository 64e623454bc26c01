#include "help/frm_pelorin.h"

#include "resources/resource_ids.h"

namespace frmPelorin {
namespace {

void AppendLine(platform::ModalForm& form, const std::wstring& line) {
    form.SetControlText(txtHelp, form.ControlText(txtHelp) + line + L"\r\n");
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
    AppendLine(form, L"Usage: Pelorin [-options] [datafile] [outputfile] ");
    AppendLine(form, L"where options include: ");
    AppendLine(form, L"-e datafile = Edit the datafile ");
    AppendLine(form, L"-v datafile = View the datafile ");
    AppendLine(form, L"-s datafile [outputfile] = Save the data file to browser or output file ");
    AppendLine(form, L"-? = Help\r\n"); // the empty line that sets the legend apart
    AppendLine(form, L"and datafile   = the file created using Pelorin");
    AppendLine(form, L"and outputfile = the html output file of the datafile");
}

void Close_Click(platform::ModalForm& form) {
    form.Unload();
}

} // namespace frmPelorin
