// The usage window of the real Pelorin.exe -?, found on screen as a user would see it, and the
// same form built in-process for what only its own process can read: fonts and icons.
#include "test_support.h"

#include "help/frm_pelorin.h"
#include "platform/win32/form_window.h"
#include "resources/resource_ids.h"
#include "tests/expected_usage_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

struct PixelRect {
    int left, top, width, height;
    bool operator==(const PixelRect&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
    return out << "(" << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
}

// Twips in pixels at the given DPI, rounded to the nearest pixel, a half up.
int Pixels(int twips, int dpi) {
    return (twips * dpi + 720) / 1440;
}

PixelRect At(int dpi, int left, int top, int width, int height) {
    return {Pixels(left, dpi), Pixels(top, dpi), Pixels(width, dpi), Pixels(height, dpi)};
}

PixelRect ClientBoundsOf(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Asked of the window itself: for another process's controls GetWindowText gives only captions.
std::wstring TextOf(HWND window) {
    const auto length = static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / "pelorin-help-tests";
        std::error_code ignored;
        fs::remove_all(root, ignored);
        fs::create_directories(root / "app");
        fs::copy_file(test::BuildDirectory() / "Pelorin.exe", root / "app" / "Pelorin.exe");
        fs::copy_file(test::BuildDirectory() / "standin_java.exe", root / "app" / "java.exe");
        // A pointer file that leads nowhere: the window is shown all the same.
        test::WriteBytes(root / "app" / "JRE.pelorin", "SOFTWARE\\PelorinTests\\None\r\n");
        SetEnvironmentVariableW(L"PELORIN_STANDIN_RECORD", (root / "record.bin").c_str());
    }
    void TearDown() override {
        if (process.hProcess != nullptr) {
            TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // A window enumeration's callback: the visible window "Pelorin" of the process in the pair.
    static BOOL CALLBACK FindUsageWindow(HWND window, LPARAM parameter) {
        auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(parameter);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == search->first && IsWindowVisible(window) && TextOf(window) == L"Pelorin") {
            search->second = window;
            return FALSE;
        }
        return TRUE;
    }

    // Starts Pelorin.exe -? and waits for its window, placed where a new window of its goes by
    // default: where its starter asks, as a shortcut may.
    HWND ShowUsageWindow() {
        const fs::path exe = root / "app" / "Pelorin.exe";
        std::wstring command = L"\"" + exe.wstring() + L"\" -?";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USEPOSITION;
        startup.dwX = 40;
        startup.dwY = 30;
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            root.c_str(), &startup, &process)) {
            ADD_FAILURE() << "could not start Pelorin.exe";
            return nullptr;
        }
        for (int i = 0; i < 300; ++i) {
            if (WaitForSingleObject(process.hProcess, 50) != WAIT_TIMEOUT) {
                ADD_FAILURE() << "Pelorin.exe ended without showing its window";
                return nullptr;
            }
            std::pair<DWORD, HWND> search{process.dwProcessId, nullptr};
            EnumWindows(FindUsageWindow, reinterpret_cast<LPARAM>(&search));
            if (search.second != nullptr) {
                return search.second;
            }
        }
        ADD_FAILURE() << "the usage window did not appear";
        return nullptr;
    }

    // Waits for Pelorin.exe to end after its window was closed: status 0 and nothing started.
    void ExpectEndedCleanly() {
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0))
            << "Pelorin.exe kept running after its window was closed";
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
        EXPECT_FALSE(test::WaitForRecord(root / "record.bin", 500).has_value())
            << "something was started";
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        process = {};
    }

    void ExpectLayoutAt(HWND window, int dpi) {
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, Pixels(7455, dpi));
        EXPECT_EQ(client.bottom, Pixels(3105, dpi));
        const HWND text = GetDlgItem(window, frmPelorin::txtHelp);
        const HWND close = GetDlgItem(window, frmPelorin::Close);
        ASSERT_NE(text, nullptr);
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(ClientBoundsOf(text), At(dpi, 120, 120, 7215, 2415));
        EXPECT_EQ(ClientBoundsOf(close), At(dpi, 3120, 2640, 1095, 375));
    }

    fs::path root;
    PROCESS_INFORMATION process{};
};

TEST_F(HelpWindow, ShowsTheUsageTextInAFixedDialogAt96Dpi) {
    const HWND window = ShowUsageWindow();
    ASSERT_NE(window, nullptr);
    ExpectLayoutAt(window, 96);
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_EQ(std::pair(frame.left, frame.top), std::pair(40L, 30L)) << "sized where it was placed";

    const HWND text = GetDlgItem(window, frmPelorin::txtHelp);
    const HWND close = GetDlgItem(window, frmPelorin::Close);
    EXPECT_EQ(TextOf(text), ExpectedUsageText);
    EXPECT_EQ(TextOf(close), L"&Close");
    EXPECT_EQ(ClassOf(text), L"Edit");
    EXPECT_EQ(ClassOf(close), L"Button");

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU) << "the close box";
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(exStyle & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));
    const HWND owner = GetWindow(window, GW_OWNER);
    EXPECT_TRUE(owner != nullptr && !IsWindowVisible(owner)) << "kept out of the task bar";

    const LONG textStyle = GetWindowLongW(text, GWL_STYLE);
    EXPECT_TRUE(textStyle & ES_MULTILINE);
    EXPECT_TRUE(textStyle & ES_READONLY);
    EXPECT_FALSE(textStyle & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(GetNextDlgTabItem(window, text, FALSE), close) << "tab order";
    EXPECT_EQ(GetNextDlgTabItem(window, close, FALSE), text);

    // Posted, so that the click is handled in the window's own thread as a user's would be: a
    // BM_CLICK sent from another process can't take the mouse capture under Wine.
    PostMessageW(close, BM_CLICK, 0, 0);
    ExpectEndedCleanly();
}

// The running exe loads DLLs by name only from the system folder: one beside it is not found, as
// asked from outside while its window is open.
TEST_F(HelpWindow, TheRunningExeLoadsNoDllFromItsOwnFolder) {
    fs::copy_file(test::BuildDirectory() / "refuse_forms.dll", root / "app" / "pelorin_probe.dll");
    const HWND window = ShowUsageWindow();
    ASSERT_NE(window, nullptr);
    const std::wstring name = L"pelorin_probe.dll";
    const std::size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    void* const remote =
        VirtualAllocEx(process.hProcess, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(WriteProcessMemory(process.hProcess, remote, name.c_str(), bytes, nullptr));
    // kernel32.dll lies at the same address in every process of one architecture.
    const auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    const HANDLE thread =
        CreateRemoteThread(process.hProcess, nullptr, 0, loadLibrary, remote, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    DWORD loaded = 1;
    EXPECT_EQ(WaitForSingleObject(thread, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    GetExitCodeThread(thread, &loaded);
    CloseHandle(thread);
    EXPECT_EQ(loaded, 0u) << "a DLL beside Pelorin.exe was loaded";
    PostMessageW(GetDlgItem(window, frmPelorin::Close), BM_CLICK, 0, 0);
    ExpectEndedCleanly();
}

TEST_F(HelpWindow, ClosesByAltCAndByCloseBox) {
    const std::pair<const char*, std::function<void(HWND)>> ways[] = {
        {"Alt+C typed", [](HWND) { test::TypeKeys("Pelorin", "alt+c"); }},
        {"close box", [](HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const HWND window = ShowUsageWindow();
        ASSERT_NE(window, nullptr);
        close(window);
        ExpectEndedCleanly();
    }
}

// Waits for the keyboard focus of the window's thread to reach the control.
bool FocusReaches(HWND window, int controlId) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (int i = 0; i < 100; ++i) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == GetDlgItem(window, controlId)) {
            return true;
        }
        Sleep(50);
    }
    return false;
}

// A run ended while the window is open leaves its trace: the steps up to the window are in the
// file before it shows, and its close follows in a block of its own.
TEST_F(HelpWindow, TheTraceIsInTheFileBeforeTheWindowShows) {
    const fs::path trace = root / "trace.txt";
    const auto read = [&] {
        std::ifstream in(trace, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    SetEnvironmentVariableW(L"PELORIN_TRACE", trace.c_str());
    const HWND window = ShowUsageWindow();
    SetEnvironmentVariableW(L"PELORIN_TRACE", nullptr);
    ASSERT_NE(window, nullptr);
    const std::string shown = read();
    EXPECT_NE(shown.find(" ms  help request: the usage window is shown\r\n"), std::string::npos)
        << shown;
    test::TypeKeys("Pelorin", "alt+c");
    ExpectEndedCleanly();
    const std::string closed = read();
    EXPECT_EQ(closed.substr(0, shown.size()), shown);
    EXPECT_NE(closed.find(", continued\r\n", shown.size()), std::string::npos) << closed;
    EXPECT_NE(closed.find(" ms  the usage window was closed\r\n", shown.size()), std::string::npos);
}

TEST_F(HelpWindow, KeyboardMovesBetweenTheControlsAndOnlyTheCloseButtonCloses) {
    struct Step {
        const char* keys;
        int focus; // 0: the window has closed
    };
    using frmPelorin::Close;
    using frmPelorin::txtHelp;
    const std::vector<Step> windows[] = {
        {{"", txtHelp},
         {"Tab", Close},
         {"Tab", txtHelp},
         {"shift+Tab", Close},
         {"shift+Tab", txtHelp},
         {"Escape Return Tab", Close},  // Esc and Enter in the text box do nothing
         {"Escape shift+Tab", txtHelp}, // and Esc on the button does nothing either
         {"Tab space", 0}},
        {{"Tab Return", 0}},
    };
    for (const auto& steps : windows) {
        const HWND window = ShowUsageWindow();
        ASSERT_NE(window, nullptr);
        for (const auto& step : steps) {
            SCOPED_TRACE(step.keys);
            test::TypeKeys("Pelorin", step.keys);
            if (step.focus == 0) {
                ExpectEndedCleanly();
            } else {
                ASSERT_TRUE(FocusReaches(window, step.focus));
            }
        }
    }
}

TEST_F(HelpWindow, ScalesWithTheDisplayDpi) {
    HKEY desktop = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop),
              ERROR_SUCCESS);
    DWORD saved = 0;
    DWORD size = sizeof saved;
    const bool hadValue = RegQueryValueExW(desktop, L"LogPixels", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(&saved), &size) == ERROR_SUCCESS;
    const DWORD dpi = 110; // where most lengths, and the font, fall between two pixels
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
    const HWND window = ShowUsageWindow();
    if (hadValue) {
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved),
                       sizeof saved);
    } else {
        RegDeleteValueW(desktop, L"LogPixels");
    }
    RegCloseKey(desktop);
    ASSERT_NE(window, nullptr);
    ExpectLayoutAt(window, 110);
    // Verdana 9.75 points at 110 DPI is 14.9 pixels high: 15, rounded. The text box's lines are
    // as far apart as those of such a font here.
    const HWND text = GetDlgItem(window, frmPelorin::txtHelp);
    const auto top = [&](int line) {
        const auto index = SendMessageW(text, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        return static_cast<short>(HIWORD(SendMessageW(text, EM_POSFROMCHAR, index, 0)));
    };
    LOGFONTW verdana{};
    verdana.lfHeight = -15;
    lstrcpyW(verdana.lfFaceName, L"Verdana");
    const HFONT font = CreateFontIndirectW(&verdana);
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    EXPECT_EQ(top(1) - top(0), metrics.tmHeight);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEndedCleanly();
}

TEST_F(HelpWindow, AWindowThatCannotBeCreatedIsAReportWithItsOwnStatus) {
    const HMODULE hooks = LoadLibraryW((test::BuildDirectory() / "refuse_forms.dll").c_str());
    ASSERT_NE(hooks, nullptr);
    const auto refuseForms =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hooks, "RefuseForms")));
    const HHOOK hook = SetWindowsHookExW(WH_CBT, refuseForms, hooks, 0);
    ASSERT_NE(hook, nullptr);
    const fs::path exe = root / "app" / "Pelorin.exe";
    const auto result = test::RunAndAnswer(exe, L"\"" + exe.wstring() + L"\" -?", root);
    UnhookWindowsHookEx(hook);
    FreeLibrary(hooks);
    EXPECT_EQ(result.exitCode, 5u);
    ASSERT_EQ(result.messageBoxes.size(), 1u);
    EXPECT_NE(result.messageBoxes[0].find(L"usage window"), std::wstring::npos);
    EXPECT_NE(result.messageBoxes[0].find(L"CreateWindowExW"), std::wstring::npos)
        << test::Utf8(result.messageBoxes[0]);
    EXPECT_FALSE(test::WaitForRecord(root / "record.bin", 500).has_value()) << "something started";
}

// Fonts and icons belong to the process that made them, so these are read from the same form
// built in this process.
TEST(HelpWindowInProcess, UsesVerdana975AndTheApplicationIcons) {
    const auto description = frmPelorin::Describe();
    platform::win32::FormWindow form(description);
    ASSERT_NE(form.Handle(), nullptr);
    EXPECT_EQ(form.ControlText(frmPelorin::txtHelp), ExpectedUsageText);

    const HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const auto fontOf = [](HWND control) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        return font;
    };
    // At the screen's DPI, then moved to a monitor of 144 DPI, as Windows tells a window.
    for (const int dpi : {screenDpi, 144}) {
        SCOPED_TRACE(dpi);
        RECT box{};
        GetWindowRect(form.Handle(), &box);
        if (dpi != screenDpi) {
            SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&box));
        }
        const HWND text = form.Control(frmPelorin::txtHelp);
        const LOGFONTW logFont = fontOf(text);
        EXPECT_EQ(std::wstring(logFont.lfFaceName), L"Verdana");
        EXPECT_EQ(logFont.lfHeight, -MulDiv(975, dpi, 7200)) << "9.75 points";
        EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
        EXPECT_FALSE(logFont.lfItalic);
        // The button's is the system's message font, at the window's DPI.
        EXPECT_EQ(fontOf(form.Control(frmPelorin::Close)).lfHeight,
                  MulDiv(metrics.lfMessageFont.lfHeight, dpi, screenDpi));
        GetWindowRect(text, &box);
        EXPECT_EQ(box.right - box.left, Pixels(7215, dpi));
        EXPECT_EQ(box.bottom - box.top, Pixels(2415, dpi));
        // The box has no scroll bar, so every line must be whole in it: none wraps, and the last
        // one ends above its bottom.
        const auto lines = static_cast<int>(std::size(frmPelorin::UsageLines));
        EXPECT_EQ(SendMessageW(text, EM_GETLINECOUNT, 0, 0), lines + 1) << "the last, empty";
        const auto top = [&](int line) {
            const LRESULT start = SendMessageW(text, EM_LINEINDEX, line, 0);
            return static_cast<int>(HIWORD(SendMessageW(text, EM_POSFROMCHAR, start, 0)));
        };
        RECT client{};
        GetClientRect(text, &client);
        EXPECT_LE(top(lines - 1) + top(1) - top(0), client.bottom);

        // The text box is drawn in the window colour, as a text box is, not the button face.
        const HDC dc = GetDC(text);
        EXPECT_EQ(SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(text)),
                  reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_WINDOW));
        ReleaseDC(text, dc);
    }

    for (const auto& [which, metric] :
         {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        const auto icon =
            reinterpret_cast<HICON>(SendMessageW(form.Handle(), WM_GETICON, which, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(metric));
        DeleteObject(info.hbmMask);
        if (info.hbmColor != nullptr) {
            DeleteObject(info.hbmColor);
        }
    }
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ExecutableResources, IconHas16And32PixelImagesIn16Colours) {
    const fs::path exe = test::ExeUnderTest();
    const HMODULE module = LoadLibraryExW(
        exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(PELORIN_ICON), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* header = static_cast<const WORD*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(header, nullptr);
    const WORD count = header[2];
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 3);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        sizes.push_back(entries[i].width);
        EXPECT_EQ(entries[i].colourCount, 16);
        EXPECT_EQ(entries[i].bitCount, 4);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
    FreeLibrary(module);
}

} // namespace
