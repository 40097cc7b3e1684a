#include "TestFiles.h"

#include <shellapi.h>

#include <stdexcept>

TempDir::TempDir()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        dir = std::wstring(base) + L"lumtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(InterlockedIncrement(&counter));
        if (CreateDirectoryW(dir.c_str(), nullptr))
            return;
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir()
{
    std::wstring from = dir;
    from.push_back(L'\0');  // SHFileOperation wants a double terminator
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

void TempDir::Write(const wchar_t* name, const std::string& text) const
{
    HANDLE file = CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write a test file");
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring WindowsPathOf(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring windows = L"Z:" + path;
    for (auto& c : windows) {
        if (c == L'/')
            c = L'\\';
    }
    return windows;
}

std::wstring TestEnvFile(const wchar_t* name)
{
    wchar_t env[1024] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024);
    if (length == 0 || length >= 1024)
        return {};
    return WindowsPathOf(std::wstring(env) + L"/" + name);
}

std::string ReadWholeFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}
