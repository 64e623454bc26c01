#include "help/help.h"

#include "help/frm_pelorin.h"
#include "platform/platform.h"

#include <map>

namespace {

// The usage window's text without the window: the form's own load handler fills it.
class TextOnlyForm : public platform::ModalForm {
public:
    std::wstring ControlText(int controlId) const override {
        const auto text = texts_.find(controlId);
        return text == texts_.end() ? std::wstring() : text->second;
    }
    void SetControlText(int controlId, const std::wstring& text) override {
        texts_[controlId] = text;
    }
    void Unload() override {}

private:
    std::map<int, std::wstring> texts_;
};

} // namespace

bool IsHelpRequest(const std::wstring& argLine) {
    return argLine.starts_with(L"-?");
}

void ShowHelpModal() {
    platform::ShowModalForm(frmPelorin::Describe());
}

std::wstring UsageText() {
    TextOnlyForm form;
    frmPelorin::Form_Load(form);
    return form.ControlText(frmPelorin::txtHelp);
}
