// How long one full update of a 1411 x 704 layered window takes: render into
// a fresh 32-bit DIB, then UpdateLayeredWindow. Each measurement is one
// function in kMeasurements; every run is one complete update as a window
// would do it on a change.
//
//   LayeredRenderBench.exe [runs]     (default 50)

#include "ui/GdiPlusInclude.h"

#include "ui/CWindowThread.h"
#include "ui/CImageCtrl.h"
#include "ui/LoadPngImage.h"
#include "base/ScopedHandles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    const auto image = LoadPngImage(kBackgroundPng);
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
        void* bits = nullptr;
        ScopedBitmap dib = CreateArgbDib(kWidth, kHeight, &bits);
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

// The client's own path: an image window whose painter renders its element
// list (here the launcher background) into a DIB and pushes it.
class LauncherLikeWindow : public CImageCtrl {
public:
    void OnCreate(CREATESTRUCTW*) override
    {
        painter.EnableLayered();
        painter.AddImage(RECT{0, 0, kWidth, kHeight}, kBackgroundPng, 1, false);
    }
};

bool PainterUpdateLayered(int runs, Timing& timing)
{
    LauncherLikeWindow window;
    if (!window.Create(0, L"LayeredRenderBenchPainter", L"", WS_POPUP, 0, 0, kWidth, kHeight,
                       nullptr))
        return false;
    ShowWindow(window.hwnd, SW_SHOWNOACTIVATE);
    if (!window.painter.layered || !window.painter.FindImage(1))
        return false;
    timing = TimeRuns(runs, [&] { window.painter.UpdateLayered(); });
    DestroyWindow(window.hwnd);
    return true;
}

struct Measurement {
    const char* name;
    bool (*measure)(int runs, Timing& timing);
};

// One row per measurement; each sets up its own window and picture.
const Measurement kMeasurements[] = {
    {"DrawImage + UpdateLayeredWindow (baseline)", &BaselineDrawImage},
    {"CImagePaint::UpdateLayered", &PainterUpdateLayered},
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    // The client's per-thread setup, so measurements can use its windows.
    g_instance = GetModuleHandleW(nullptr);
    CWindowThread manager;
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
