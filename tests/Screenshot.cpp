#include "Screenshot.h"

#include "TestApp.h"

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

ScreenCapture::ScreenCapture(const wchar_t* name)
{
    const std::wstring file = SaveScreenshot(name);
    if (file.empty())
        return;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return;
    {
        Gdiplus::Bitmap picture(WindowsPath(file).c_str());
        Gdiplus::BitmapData data = {};
        Gdiplus::Rect all(0, 0, static_cast<INT>(picture.GetWidth()), static_cast<INT>(picture.GetHeight()));
        if (picture.GetLastStatus() == Gdiplus::Ok && all.Width > 0 && all.Height > 0 &&
            picture.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
            width = all.Width;
            height = all.Height;
            pixels.resize(static_cast<size_t>(width) * height);
            for (int y = 0; y < height; ++y) {
                const auto* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(data.Scan0) +
                                                                 static_cast<ptrdiff_t>(y) * data.Stride);
                for (int x = 0; x < width; ++x)
                    pixels[static_cast<size_t>(y) * width + x] = row[x] | 0xFF000000;
            }
            picture.UnlockBits(&data);
        }
    }
    Gdiplus::GdiplusShutdown(token);
}

DWORD ScreenCapture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return pixels[static_cast<size_t>(y) * width + x];
}

int ScreenCapture::Count(const RECT& area, const std::function<bool(DWORD)>& match) const
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (x >= 0 && y >= 0 && x < width && y < height && match(Pixel(x, y)))
                ++count;
        }
    }
    return count;
}


ScreenCapture CaptureScreenWhen(const wchar_t* name, const std::function<bool(const ScreenCapture&)>& drawn,
                                DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // This thread's own windows draw when their messages are handled.
        PumpUntil([] { return true; }, 0);
        ScreenCapture screen(name);
        if (!screen.ok() || drawn(screen) || GetTickCount() - start >= timeoutMs)
            return screen;
    }
}

std::vector<int> MenuRowsWithoutCaption(HWND menu, const wchar_t* name)
{
    RECT m = {0, 0, 0, 0};
    GetWindowRect(menu, &m);
    const int rows = (m.bottom - m.top) / 24;
    auto ink = [&](const ScreenCapture& screen, int row) {
        const RECT r = {m.left + 1, m.top + row * 24 + 2, m.right - 2, m.top + row * 24 + 23};
        return screen.Count(r, [](DWORD c) { return ((c >> 16) & 0xFF) < 90; }) > 8;
    };
    auto missing = [&](const ScreenCapture& screen) {
        std::vector<int> empty;
        for (int row = 0; row < rows; ++row) {
            if (!ink(screen, row))
                empty.push_back(row);
        }
        return empty;
    };
    const ScreenCapture screen =
        CaptureScreenWhen(name, [&](const ScreenCapture& s) { return rows > 0 && missing(s).empty(); });
    if (!screen.ok() || rows <= 0)
        return {-1};
    return missing(screen);
}
