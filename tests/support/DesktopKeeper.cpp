// Keeps a test environment's desktop alive for the whole run.
//   DesktopKeeper.exe READYFILE
// Wine closes a desktop (its explorer.exe, and with it the display's
// last client) a second after the last program that uses it has ended; the
// next program then waits about ten seconds for a new desktop. This program
// attaches to the desktop, waits until the desktop window exists, writes
// READYFILE and then sleeps until the environment's wineserver is stopped.
// It shows no window.
#include <windows.h>

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2)
        return 2;
    // Starts the desktop process if there is none yet and waits for it.
    if (!GetDesktopWindow())
        return 3;
    const HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE)
        return 4;
    CloseHandle(ready);
    LocalFree(argv);
    Sleep(INFINITE);
    return 0;
}
