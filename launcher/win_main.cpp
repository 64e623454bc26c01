// The program's entry: Windows starts Pelorin.exe here, without a window of its own.
#include <windows.h>

#include "launcher/pelorin_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return PelorinMain::RunPelorin();
}
