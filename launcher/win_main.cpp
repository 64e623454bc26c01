// The program's entry: Windows starts Pelorin.exe here, without a window of its own.
#include <windows.h>

#include "launcher/pelorin_main.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::LoadDllsOnlyFromTheSystemFolder();
    return PelorinMain::RunPelorin();
}
