#include "Screenshot.h"

#include "ui/GdiPlusInclude.h"
#include "ui/ScopedHandles.h"

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

std::wstring SaveScreenshot(const wchar_t* name)
{
    // Wine's screen DC does not read back what X shows (layered windows
    // come out black), so ask X itself: Wine starts Unix programs directly.
    wchar_t env[1024] = {};
    if (!GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024))
        return {};
    const std::wstring dir = std::wstring(env) + L"/artifacts";
    const std::wstring file = dir + L"/" + name + L".png";
    std::wstring command = L"Z:\\bin\\sh -c \"mkdir -p '" + dir + L"' && import -window root '" + file + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return {};
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    DWORD exitCode = 1;
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 0)
        return {};
    return file;
}
