// How long one full update of a 1411 x 704 layered window takes: render into
// a fresh 32-bit DIB, then UpdateLayeredWindow. Each measurement is one
// function in kMeasurements; every run is one complete update as a window
// would do it on a change.
//
//   LayeredRenderBench.exe [runs]     (default 50)

#include "ui/GdiPlusInclude.h"

#include "app/CAppManager.h"
#include "ui/ScopedHandles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1411;
constexpr int kHeight = 704;
constexpr int kBackgroundPng = 145;
constexpr int kWarmUpRuns = 3;

struct Timing {
    double medianMs = 0;
    double minMs = 0;
};

// Times `update` `runs` times after a short warm-up (first decode, caches).
Timing TimeRuns(int runs, const std::function<void()>& update)
{
    for (int i = 0; i < kWarmUpRuns; ++i)
        update();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        update();
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    Timing t;
    const size_t n = ms.size();
    t.medianMs = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    t.minMs = ms.front();
    return t;
}

// The PNG resource as a GDI+ image over a stream that owns a copy of it.
std::unique_ptr<Gdiplus::Image> LoadPng(int id)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL resource = info ? LoadResource(module, info) : nullptr;
    const void* bytes = resource ? LockResource(resource) : nullptr;
    const DWORD size = info ? SizeofResource(module, info) : 0;
    if (!bytes || !size)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return nullptr;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(copy, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    // The image holds its own reference to the stream.
    std::unique_ptr<Gdiplus::Image> image(new Gdiplus::Image(stream, TRUE));
    stream->Release();
    if (image->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return image;
}

// A bare layered popup of the launcher's size, shown without activation.
class LayeredWindow {
public:
    LayeredWindow()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"LayeredRenderBench";
        RegisterClassExW(&wc);
        hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                               0, 0, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
        if (hwnd)
            ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    ~LayeredWindow()
    {
        if (hwnd)
            DestroyWindow(hwnd);
    }
    LayeredWindow(const LayeredWindow&) = delete;
    LayeredWindow& operator=(const LayeredWindow&) = delete;

    HWND hwnd = nullptr;
};

// Baseline: what a layered update costs at the least, one DrawImage of the
// picture into a fresh DIB and the push to the screen.
bool BaselineDrawImage(int runs, Timing& timing)
{
    const auto image = LoadPng(kBackgroundPng);
    if (!image || image->GetWidth() != kWidth || image->GetHeight() != kHeight) {
        std::fprintf(stderr, "PNG %d missing or not %dx%d\n", kBackgroundPng, kWidth, kHeight);
        return false;
    }
    LayeredWindow window;
    if (!window.hwnd)
        return false;
    bool pushed = true;
    timing = TimeRuns(runs, [&] {
        ScopedWindowDc windowDc(window.hwnd);
        ScopedMemoryDc memoryDc(CreateCompatibleDC(windowDc.get()));
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        ScopedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ScopedSelect selected(memoryDc.get(), dib.get());
        {
            Gdiplus::Graphics graphics(memoryDc.get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            graphics.DrawImage(image.get(), 0, 0, kWidth, kHeight);
        }
        RECT r = {};
        GetWindowRect(window.hwnd, &r);
        POINT destination = {r.left, r.top};
        SIZE size = {kWidth, kHeight};
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ScopedWindowDc screenDc(nullptr);
        pushed = UpdateLayeredWindow(window.hwnd, screenDc.get(), &destination, &size,
                                     memoryDc.get(), &source, 0, &blend, ULW_ALPHA) &&
                 pushed;
    });
    if (!pushed)
        std::fprintf(stderr, "UpdateLayeredWindow failed\n");
    return pushed;
}

struct Measurement {
    const char* name;
    bool (*measure)(int runs, Timing& timing);
};

// One row per measurement; each sets up its own window and picture.
const Measurement kMeasurements[] = {
    {"DrawImage + UpdateLayeredWindow (baseline)", &BaselineDrawImage},
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    // The client's per-thread setup, so measurements can use its windows.
    g_instance = GetModuleHandleW(nullptr);
    CAppManager manager;
    const bool registered = RegisterManager(&manager);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (!registered || Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "setup failed\n");
        return 2;
    }

    int failures = 0;
    std::printf("%d runs of a %dx%d layered update\n", runs, kWidth, kHeight);
    for (const Measurement& m : kMeasurements) {
        Timing t;
        if (m.measure(runs, t)) {
            std::printf("%-48s median %8.2f ms   min %8.2f ms\n", m.name, t.medianMs, t.minMs);
        } else {
            std::printf("%-48s FAILED\n", m.name);
            ++failures;
        }
        std::fflush(stdout);
    }

    Gdiplus::GdiplusShutdown(token);
    UnregisterManager(GetCurrentThreadId());
    return failures ? 1 : 0;
}
