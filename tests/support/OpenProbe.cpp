// Stand-in for the user's default web browser in test prefixes: registered
// as the open command of http and https (and of mailto, as a canary for
// addresses the client must never hand on), it records every address it is
// given and opens nothing.
//   OpenProbe.exe LOG ADDRESS
// Appends ADDRESS and a line feed, as UTF-8, to the file LOG.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1)
        return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.pop_back();  // the terminator
    return out;
}

// Several probes may start at once (a page opening two windows): each
// appends its whole line with one write, retrying while another holds it.
bool AppendLine(const wchar_t* path, const std::string& line)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_SHARING_VIOLATION)
                return false;
            Sleep(20);
            continue;
        }
        DWORD written = 0;
        const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == line.size();
    }
    return false;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args)
        return 2;
    int result = 2;
    if (count == 3)
        result = AppendLine(args[1], Utf8(args[2]) + "\n") ? 0 : 1;
    LocalFree(args);
    return result;
}
