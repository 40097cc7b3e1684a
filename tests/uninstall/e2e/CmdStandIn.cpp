// Stands in for the command interpreter in end-to-end tests: records how it
// was started (command line, working directory) instead of running anything.
// The record goes to the file named by LUMARION_CMD_LOG, one UTF-8 line each.
#include <windows.h>

#include <string>

int wmain()
{
    wchar_t logPath[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMARION_CMD_LOG", logPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    wchar_t directory[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, directory);
    const std::wstring record = std::wstring(GetCommandLineW()) + L"\n" + directory + L"\n";

    const int size = WideCharToMultiByte(CP_UTF8, 0, record.c_str(), static_cast<int>(record.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, record.c_str(), static_cast<int>(record.size()), &bytes[0], size, nullptr,
                        nullptr);
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
