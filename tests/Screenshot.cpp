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

namespace {

std::wstring ArtifactsDir()
{
    wchar_t env[1024] = {};
    if (!GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024))
        return L".";
    // The environment folder is a Unix path; Wine maps / to drive Z:.
    std::wstring dir = std::wstring(L"Z:") + env + L"/artifacts";
    for (auto& c : dir) {
        if (c == L'/')
            c = L'\\';
    }
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

} // namespace

std::wstring SaveScreenshot(const wchar_t* name)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ScopedWindowDc screen(nullptr);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap)
        return {};
    {
        ScopedSelect select(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT);
    }
    CLSID png;
    if (!PngEncoderClsid(png))
        return {};
    Gdiplus::Bitmap picture(bitmap.get(), nullptr);
    const std::wstring path = ArtifactsDir() + L"\\" + name + L".png";
    if (picture.Save(path.c_str(), &png, nullptr) != Gdiplus::Ok)
        return {};
    return path;
}
