#include "uninstall/UninstallDriver.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return RunUninstall();
}
