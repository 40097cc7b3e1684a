#include "CDoubleLog.h"

#include <cwchar>
#include <vector>

namespace {

LONG instanceCounter = 0;

std::wstring ResolveLogPath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (length > 0 && length < buffer.size())
        return std::wstring(buffer.data(), length);
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring path = tempLength > 0 && tempLength <= MAX_PATH ? std::wstring(temp, tempLength) : std::wstring(L".\\");
    if (path.back() != L'\\')
        path += L'\\';
    return path + L"scripted-browser.log";
}

} // namespace

CDoubleLog::CDoubleLog() : path(ResolveLogPath()), instance(InterlockedIncrement(&instanceCounter)) {}

void CDoubleLog::Write(const std::wstring& text) const
{
    const std::wstring line = L"#" + std::to_wstring(instance) + L" " + text + L"\r\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return;
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0], bytes, nullptr, nullptr);
    // Appending handles from several controls or processes never overwrite
    // each other's lines.
    const HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

std::wstring CDoubleLog::Rect(const RECT& rect)
{
    return std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top) + L"," + std::to_wstring(rect.right) + L"," +
           std::to_wstring(rect.bottom);
}

std::wstring CDoubleLog::Hex(unsigned long value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lx", value);
    return text;
}
