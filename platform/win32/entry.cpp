#include <windows.h>

#include "launcher/failure_report.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return RunPelorin();
}
