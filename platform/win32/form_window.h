// A form of the program's own as a real window: created hidden and loaded, then shown modally.
#pragma once

#include <windows.h>

#include "platform/platform.h"

#include <map>

namespace platform::win32 {

class FormWindow : public ModalForm {
public:
    // Creates the window and its controls, hidden, and runs the form's load handler. Throws
    // SystemError when a window can't be created.
    explicit FormWindow(const FormDescription& description);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Shows the window and runs its event loop until it is unloaded.
    void ShowModal();

    HWND Handle() const { return window_; }
    HWND Control(int controlId) const;

    std::wstring ControlText(int controlId) const override;
    void SetControlText(int controlId, const std::wstring& text) override;
    void Unload() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(UINT dpi);

    const FormDescription& description_;
    HWND owner_ = nullptr;
    HWND window_ = nullptr;
    std::map<int, HWND> controls_;
    std::map<int, HFONT> fonts_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool unloaded_ = false;
};

} // namespace platform::win32
