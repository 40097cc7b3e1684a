#include "Screenshot.h"

#include "ui/GdiPlusInclude.h"
#include "base/ScopedHandles.h"

#include <memory>
#include <vector>

bool PngEncoderClsid(CLSID& clsid)
{
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

namespace {

std::wstring WindowsPath(std::wstring unixPath)
{
    for (auto& c : unixPath) {
        if (c == L'/')
            c = L'\\';
    }
    return L"Z:" + unixPath;
}

} // namespace

std::wstring SaveScreenshot(const wchar_t* name)
{
    // Wine's screen DC does not read back everything X shows (layered
    // windows come out black), so ask X itself: Wine starts Unix programs.
    // Their handles cannot be waited on, so the file appearing (renamed into
    // place when complete) is the signal.
    wchar_t env[1024] = {};
    if (!GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024))
        return {};
    const std::wstring dir = std::wstring(env) + L"/artifacts";
    const std::wstring file = dir + L"/" + name + L".png";
    const std::wstring windowsFile = WindowsPath(file);
    DeleteFileW(windowsFile.c_str());
    std::wstring command = L"Z:\\bin\\sh -c \"mkdir -p '" + dir + L"' && import -window root '" +
                           file + L".part.png' && mv '" + file + L".part.png' '" + file + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return {};
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    for (int waited = 0; waited < 15000; waited += 50) {
        if (GetFileAttributesW(windowsFile.c_str()) != INVALID_FILE_ATTRIBUTES)
            return file;
        Sleep(50);
    }
    return {};
}
