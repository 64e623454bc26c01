// What the start-up logic needs of the machine it runs on. One implementation per platform is
// linked in by the build: platform/win32 for the Windows program, an in-memory one for the host
// tests.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A system call that failed: its name, the system's error code and the system's own words for it.
// What the failure means for the program is for the caller to say.
struct SystemError : std::exception {
    SystemError(std::wstring call, std::uint32_t code, std::wstring text)
        : call(std::move(call)), code(code), text(std::move(text)) {}
    const char* what() const noexcept override { return "system call failed"; }

    std::wstring call;
    std::uint32_t code;
    std::wstring text;
};

// Every function below throws SystemError when a system call it needs fails, unless it says
// otherwise. A path names the file that a 64-bit program reaches by it: a 32-bit program on 64-bit
// Windows is not sent from the system folder to its 32-bit copy (SysWOW64), so either build reads,
// writes, tests and starts the same files.

// The program's own command line, as its starter wrote it.
std::wstring CommandLine();

// The full path of the running executable.
std::wstring ExecutablePath();

// The start of an existing file: its first maxBytes bytes, or all of it when it is shorter.
std::string ReadFileStart(const std::wstring& path, std::size_t maxBytes);

// Text in the system's ANSI code page as wide text.
std::wstring AnsiToWide(std::string_view bytes);

// Text as a program that reads it in the system's ANSI code page gets it, such as the command line
// of a program that takes it through GetCommandLineA: converted to that code page as the system
// converts it for such a program, a character the page lacks becoming a look-alike or a question
// mark, and back to wide text. Text the page holds comes back as it was.
std::wstring AsAnsiProgramReadsIt(std::wstring_view text);

// The number of the system's ANSI code page, such as 1252.
std::uint32_t AnsiCodePage();

// The path of an existing file or folder with each of its parts by its short (8.3) name, where the
// file system keeps one (a part without one stays as it is); nothing when the path names nothing
// there, never a SystemError.
std::optional<std::wstring> ShortPath(const std::wstring& path);

// UTF-8 as wide text, and wide text as UTF-8, by the system's own conversion: what it can't
// convert becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);

// Whether an existing file, not a folder, has this path.
bool FileExists(const std::wstring& path);

// The path made whole the system's way: against the current drive and directory, with its dots
// resolved and its slashes made backslashes. Empty, never a SystemError, when the system can't
// make it whole.
std::wstring FullPath(const std::wstring& path);

// Whether two paths name the same existing file, by the file system's own identity of it, however
// either is spelled. Never throws a SystemError: a path that names no file names no file the
// other does.
bool SameFile(const std::wstring& a, const std::wstring& b);

// Whether two texts are the same but for letter case, by the system's own case mapping, as it
// compares file names.
bool SameIgnoringCase(std::wstring_view a, std::wstring_view b);

// The value of an environment variable; empty when it is not set.
std::wstring EnvironmentVariable(const std::wstring& name);

// The longest path, in characters, that the system takes as a program's name on a command line.
std::size_t MaxPath();

// The running process's identifier.
std::uint32_t ProcessId();

// A steady count of microseconds, for how long something took.
std::uint64_t Microseconds();

// The local date and time.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime Now();

// Appends the bytes to the file at path, creating it if need be, in one write. Only a file on a
// disk is written: a pipe or a device could hold the write for ever.
void AppendToFile(const std::wstring& path, std::string_view bytes);

// The system folder (System32) and the Windows folder.
std::wstring SystemDirectory();
std::wstring WindowsDirectory();

// The two views of HKEY_LOCAL_MACHINE\SOFTWARE that a 64-bit Windows keeps: the 32-bit
// programs' and its own.
enum class RegistryView { Bits32, Bits64 };

// The views this Windows keeps, the 32-bit programs' first: both on a 64-bit Windows; on a 32-bit
// one its one view, which either name reaches.
std::span<const RegistryView> RegistryViews();

// What the registry holds under a value's name.
struct RegistryAnswer {
    enum class Outcome { NoKey, NoValue, Value };
    Outcome outcome = Outcome::NoKey;
    std::uint32_t code = 0; // the system's code for the call that decided the answer
    std::uint32_t type = 0; // of a value: its type as Windows stores it, such as 4 for REG_DWORD
    std::string data;       // of a value: its bytes as stored
};

// The system's predefined registry keys that the program reads below.
enum class RootKey { LocalMachine };

// Reads the value named valueName of the key at keyPath below rootKey, in the given view, with
// read access only. A key path or name is taken up to
// its first NUL. A value that changes size while it is read is read again. Never throws a
// SystemError: a registry that can't be reached has no key.
RegistryAnswer ReadRegistryValue(RootKey rootKey, const std::wstring& keyPath,
                                 const std::wstring& valueName, RegistryView view);

// How a started program is to show its first window.
enum class ShowState { Normal };

// Starts a process from one complete command line with the given window show state, and returns
// its identifier without waiting. The program started is applicationPath when given; when it is
// empty, the command line's first token, found the platform's usual way. The command line is
// passed on as it stands either way.
std::uint32_t LaunchProcess(const std::wstring& applicationPath, const std::wstring& commandLine,
                            ShowState showState);

// A window of the program's own, described in twips (1/1440 inch) so that it looks the same at
// every DPI; the platform converts with the window's DPI.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class ControlKind {
    ReadOnlyText, // multi-line, locked against editing, no scroll bars
    PushButton,
};

struct FormControl {
    int id = 0;
    ControlKind kind = ControlKind::PushButton;
    TwipsRect bounds;
    std::wstring caption;  // a button's caption; & marks its access key
    std::wstring fontName; // empty: the platform's default for the kind of control
    int fontHundredthsOfPoint = 0;
};

// What event handlers can do with a form while it is shown.
class ModalForm {
public:
    virtual ~ModalForm() = default;
    virtual std::wstring ControlText(int controlId) const = 0;
    virtual void SetControlText(int controlId, const std::wstring& text) = 0;
    // Closes the form; the modal show returns.
    virtual void Unload() = 0;
};

struct FormDescription {
    std::wstring caption;
    int icon = 0;        // the resource id of the icon among the program's resources; 0: none
    int clientWidth = 0; // twips
    int clientHeight = 0;
    std::vector<FormControl> controls;    // in tab order
    std::function<void(ModalForm&)> load; // runs before the form is first drawn
    std::function<void(ModalForm&, int controlId)> click;
};

// Shows the form modally, with a fixed dialog border, the close box, the application icon and no
// entry in the task bar, where the window system places new windows. Returns when it is unloaded
// by a handler or by its close box.
void ShowModalForm(const FormDescription& form);

// Whether a window the program shows can be seen by anyone. It can't on a window station that is
// not visible, such as a service's or that of a scheduled task that runs whether or not a user is
// signed in: a window there waits for ever for a click. When the system can't tell, a window can
// be seen, as on any desktop.
bool WindowsCanBeSeen() noexcept;

// Writes the text to standard output when the caller gave the program one: UTF-8 to a file or
// pipe, the text itself to a console. Waits at most a second for a reader, and throws no
// SystemError.
// Gives whether the text was written whole: not when there is no standard output, or nobody took
// the text within that second.
bool WriteStandardOutput(const std::wstring& text);

// Tells that the run failed: with inWindow, a message box with the caption and the report, and
// in any case the same text on standard error when the caller has redirected it. Blocks until the
// box is acknowledged, and throws no SystemError: there is no one left to tell.
void ReportFailure(const std::wstring& caption, const std::wstring& report, bool inWindow);

} // namespace platform
