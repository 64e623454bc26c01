// A form of the program's own as a real window: created hidden and loaded, then shown modally.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/owners.h"

#include <map>

namespace platform::win32 {

class FormWindow : public ModalForm {
public:
    // Creates the window and its controls, hidden, and runs the form's load handler. Throws
    // SystemError when a window can't be created.
    explicit FormWindow(const FormDescription& description);
    ~FormWindow() override = default;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Shows the window and runs its event loop until it is unloaded.
    void ShowModal();

    HWND Handle() const { return window_.get(); }
    HWND Control(int controlId) const;

    std::wstring ControlText(int controlId) const override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void Unload() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(UINT dpi);

    // Declared so that the windows go first, before what their messages and drawing still use.
    const FormDescription& description_;
    std::map<int, FontOwner> fonts_;
    IconOwner bigIcon_;
    IconOwner smallIcon_;
    bool unloaded_ = false;
    WindowOwner owner_;
    WindowOwner window_;
    std::map<int, HWND> controls_; // destroyed with window_
};

} // namespace platform::win32
