#include "platform/win32/form_window.h"

#include "platform/win32/win32_platform.h"

namespace platform::win32 {
namespace {

constexpr wchar_t FormClassName[] = L"ModalForm";
constexpr int TwipsPerInch = 1440;
constexpr int HundredthsOfPointPerInch = 7200;

// Per-window DPI functions exist from Windows 10 on; older systems have one DPI for the session.
template <typename Function> Function User32Function(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT DpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return dpi;
        }
    }
    const int dpi = GetDeviceCaps(ScreenContext().get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustFunction>("AdjustWindowRectExForDpi");
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

// The system's message font at the given DPI: the platform's default for push buttons.
HFONT CreateMessageFont(UINT dpi) {
    using ParametersFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = User32Function<ParametersFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const bool scaled =
        forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    if (!scaled) {
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), DpiOf(nullptr));
    }
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

HFONT CreateNamedFont(const FormControl& control, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight =
        -MulDiv(control.fontHundredthsOfPoint, static_cast<int>(dpi), HundredthsOfPointPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, control.fontName.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

int Pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), TwipsPerInch);
}

constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD FormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

void RegisterFormClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = FormClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

} // namespace

FormWindow::FormWindow(const FormDescription& description) : description_(description) {
    RegisterFormClass();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // A window owned by a hidden window stays out of the task bar.
    owner_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr));
    if (!owner_) {
        throw LastSystemError(L"CreateWindowExW");
    }
    window_.reset(CreateWindowExW(FormExStyle, FormClassName, description.caption.c_str(),
                                  FormStyle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner_.get(),
                                  nullptr, instance, nullptr));
    if (!window_) {
        throw LastSystemError(L"CreateWindowExW");
    }
    SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::WindowProc));

    if (description.icon != 0) {
        const auto load = [&](int width, int height) {
            return IconOwner(static_cast<HICON>(LoadImageW(
                instance, MAKEINTRESOURCEW(description.icon), IMAGE_ICON, width, height, 0)));
        };
        bigIcon_ = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        smallIcon_ = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    }

    for (const FormControl& control : description.controls) {
        const bool text = control.kind == ControlKind::ReadOnlyText;
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                            (text ? ES_MULTILINE | ES_READONLY : BS_PUSHBUTTON);
        const HWND child = CreateWindowExW(
            text ? WS_EX_CLIENTEDGE : 0, text ? L"EDIT" : L"BUTTON", control.caption.c_str(), style,
            0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
            instance, nullptr);
        if (child == nullptr) {
            throw LastSystemError(L"CreateWindowExW");
        }
        controls_[control.id] = child; // destroyed with the window
    }
    Layout(DpiOf(Handle()));
    if (description.load) {
        description.load(*this);
    }
}

void FormWindow::Layout(UINT dpi) {
    RECT frame{0, 0, Pixels(description_.clientWidth, dpi), Pixels(description_.clientHeight, dpi)};
    AdjustForDpi(frame, FormStyle, FormExStyle, dpi);
    SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HWND previous = HWND_TOP;
    for (const FormControl& control : description_.controls) {
        const HWND child = controls_[control.id];
        SetWindowPos(child, previous, Pixels(control.bounds.left, dpi),
                     Pixels(control.bounds.top, dpi), Pixels(control.bounds.width, dpi),
                     Pixels(control.bounds.height, dpi), SWP_NOACTIVATE);
        previous = child; // the z-order is the tab order
        FontOwner font(control.fontName.empty() ? CreateMessageFont(dpi)
                                                : CreateNamedFont(control, dpi));
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        fonts_[control.id] = std::move(font); // the font it replaces is no longer in use
    }
}

void FormWindow::ShowModal() {
    if (unloaded_) {
        return;
    }
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
    if (!description_.controls.empty()) {
        SetFocus(controls_[description_.controls.front().id]);
    }
    MSG message;
    while (!unloaded_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The form has no Cancel button, so Esc is nobody's key. Left to the dialog manager, or to
        // a multi-line text box, which closes its parent on Esc, it would close the form.
        if ((message.message == WM_KEYDOWN || message.message == WM_CHAR) &&
            message.wParam == VK_ESCAPE) {
            continue;
        }
        if (!IsDialogMessageW(Handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

HWND FormWindow::Control(int controlId) const {
    const auto control = controls_.find(controlId);
    return control == controls_.end() ? nullptr : control->second;
}

std::wstring FormWindow::ControlText(int controlId) const {
    const HWND control = Control(controlId);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void FormWindow::SetControlText(int controlId, const std::wstring& text) {
    SetWindowTextW(Control(controlId), text.c_str());
}

void FormWindow::Unload() {
    window_.reset();
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return form != nullptr ? form->HandleMessage(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && description_.click &&
            reinterpret_cast<HWND>(lParam) != nullptr) {
            description_.click(*this, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: {
        // A locked text box keeps the look of a text box rather than the greyed read-only look.
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_NEXTDLGCTL: {
        // A multi-line text box asks its parent for the next control when Tab is pressed in it.
        const HWND next = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                              : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
        if (next != nullptr) {
            SetFocus(next);
        }
        return 0;
    }
    case DM_GETDEFID: {
        // Enter presses the push button that has the focus; elsewhere it presses nothing.
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0) {
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        }
        return 0;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Layout(HIWORD(wParam));
        return 0;
    }
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        unloaded_ = true;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace platform::win32

namespace platform {

void ShowModalForm(const FormDescription& form) {
    win32::FormWindow window(form);
    window.ShowModal();
}

} // namespace platform
