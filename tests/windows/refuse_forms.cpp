// A window hook for the tests: set for the whole desktop, it refuses the creation of every window
// of the class that Pelorin's forms use, as a desktop out of resources would.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    RefuseForms(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const wchar_t* className = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
        if (!IS_INTRESOURCE(className) && lstrcmpiW(className, L"ModalForm") == 0) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
