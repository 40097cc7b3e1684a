// How fast the back window answers the pointer, next to what the screen
// costs at the least. One run measures, with the real back window (its
// painter and artwork: background 145, the close, minimise and link strips):
//
//   hover change   the pointer moving onto or off a link button: that
//                  button's rectangle redrawn into the kept picture and pushed
//   full redraw    CImagePaint::UpdateLayered: every element redrawn, pushed
//   bare push      UpdateLayeredWindow of a kept picture of the same size
//   floor          the premultiplied background source-copied into a kept
//                  picture, then UpdateLayeredWindow: the least a full
//                  update can cost
//
// and prints the hover / bare push and full / floor ratios and how much the
// working set grew over 1000 hover changes. The four take turns run by run,
// so that a machine busy for a moment slows all of them alike.
//
// At a scale above 96 DPI the window takes its size at that scale, so the
// pushes are of the pixels a scaled launcher shows.
//
//   LayeredRenderBench.exe [runs]     (default 50)

#include "ui/GdiPlusInclude.h"

#include "ui/CLayeredSurface.h"
#include "ui/CWindowThread.h"
#include "ui/LayeredWindow.h"
#include "ui/LoadPngImage.h"
#include "windows/CFrameBack.h"
#include "windows/SkinPictures.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kWarmUpRuns = 3;
constexpr int kHoverChangesForMemory = 1000;
// Client points of the back window: on the official-site link, and on the
// background away from every button.
constexpr POINT kOnLink = {679, 179};
constexpr POINT kOffButtons = {300, 450};

double Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
}

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

struct Measured {
    const std::function<void()> run;
    std::vector<double> ms;
};

// Runs every measurement once per round, `rounds` times, after a warm-up
// (first decode, caches).
void TakeTurns(int rounds, std::vector<Measured*> all)
{
    for (int i = 0; i < kWarmUpRuns; ++i)
        for (Measured* m : all)
            m->run();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < rounds; ++i) {
        for (Measured* m : all) {
            LARGE_INTEGER start;
            LARGE_INTEGER end;
            QueryPerformanceCounter(&start);
            m->run();
            QueryPerformanceCounter(&end);
            m->ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                            static_cast<double>(frequency.QuadPart));
        }
    }
}

int Measure(int runs)
{
    CFrameBack back;
    const HWND window = back.CreateLauncher();
    if (!window || !back.painter.layered || !back.painter.updateLayeredWindow) {
        std::fprintf(stderr, "back window not created layered\n");
        return 1;
    }
    const int dpi = static_cast<int>(back.painter.Dpi());
    const int width = MulDiv(CFrameBack::Width, dpi, 96);
    const int height = MulDiv(CFrameBack::Height, dpi, 96);
    if (dpi != 96)
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::printf("scale: %d DPI, %d x %d pixels\n", dpi, width, height);

    bool onLink = false;
    const auto moveOnOrOff = [&] {
        onLink = !onLink;
        POINT p = onLink ? kOnLink : kOffButtons;
        p.x = MulDiv(p.x, dpi, 96);
        p.y = MulDiv(p.y, dpi, 96);
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    };
    moveOnOrOff();
    if (!back.painter.hotButton) {
        std::fprintf(stderr, "the pointer on the link left it cold\n");
        return 1;
    }

    // The bench's own kept picture, pushed to the same window.
    CLayeredSurface kept(width, height);
    const auto art = LoadPremultipliedPng(Picture::LauncherBackground);
    // At the window's size: the floor copies, it never resamples.
    Gdiplus::Bitmap background(width, height, PixelFormat32bppPARGB);
    if (art) {
        Gdiplus::Graphics graphics(&background);
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        graphics.DrawImage(art.get(), 0, 0, width, height);
    }
    if (!kept.ok() || !art) {
        std::fprintf(stderr, "no kept picture or background\n");
        return 1;
    }
    const UpdateLayeredWindowFn push = back.painter.updateLayeredWindow;
    const auto bare = [&] { PushLayered(push, window, kept.dc(), width, height, 255); };
    const auto floor = [&] {
        {
            Gdiplus::Graphics graphics(kept.dc());
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            graphics.DrawImage(&background, 0, 0, width, height);
            graphics.Flush(Gdiplus::FlushIntentionSync);
        }
        bare();
    };

    Measured hover{moveOnOrOff, {}};
    Measured full{[&] { back.painter.UpdateLayered(); }, {}};
    Measured barePush{bare, {}};
    Measured floorUpdate{floor, {}};
    TakeTurns(runs, {&hover, &full, &barePush, &floorUpdate});

    const SIZE_T before = WorkingSet();
    for (int i = 0; i < kHoverChangesForMemory; ++i)
        moveOnOrOff();
    const SIZE_T after = WorkingSet();
    DestroyWindow(window);

    const double hoverMs = Median(hover.ms);
    const double fullMs = Median(full.ms);
    const double bareMs = Median(barePush.ms);
    const double floorMs = Median(floorUpdate.ms);
    std::printf("hover change: median %.2f ms\n", hoverMs);
    std::printf("full redraw: median %.2f ms\n", fullMs);
    std::printf("bare push: median %.2f ms\n", bareMs);
    std::printf("floor: median %.2f ms\n", floorMs);
    std::printf("hover ratio: %.2f\n", hoverMs / bareMs);
    std::printf("full ratio: %.2f\n", fullMs / floorMs);
    std::printf("working set growth: %lld KB\n",
                (static_cast<long long>(after) - static_cast<long long>(before)) / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    // The client's per-thread setup, so the bench can use its windows.
    g_instance = GetModuleHandleW(nullptr);
    CWindowThread manager;
    const bool registered = RegisterManager(&manager);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (!registered || Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "setup failed\n");
        return 2;
    }
    const int result = Measure(runs);
    std::fflush(stdout);
    Gdiplus::GdiplusShutdown(token);
    UnregisterManager(GetCurrentThreadId());
    return result;
}
