// ctest: desktop
#include "ui/GdiPlusInclude.h"

#include "TestApp.h"
#include "ui/CShadowCtrl.h"
#include "ui/RoundRectPath.h"
#include "base/ScopedHandles.h"
#include "ui/ShadowOutlines.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<Gdiplus::PointF> PathPoints(const Gdiplus::GraphicsPath& path)
{
    std::vector<Gdiplus::PointF> points(static_cast<size_t>(path.GetPointCount()));
    if (!points.empty())
        path.GetPathPoints(points.data(), static_cast<INT>(points.size()));
    return points;
}

bool Near(const Gdiplus::PointF& p, float x, float y)
{
    return std::fabs(p.X - x) < 0.01f && std::fabs(p.Y - y) < 0.01f;
}

// True when the path passes through `expected` in this order.
bool PassesInOrder(const std::vector<Gdiplus::PointF>& points,
                   const std::vector<Gdiplus::PointF>& expected)
{
    size_t next = 0;
    for (const auto& p : points) {
        if (next < expected.size() && Near(p, expected[next].X, expected[next].Y))
            ++next;
    }
    return next == expected.size();
}

// Renders through the shadow's own drawing routine into a DIB laid out as
// Redraw lays it out (bottom-up, 32 bits, zero-filled). Pixels come back
// top row first, as 0xAARRGGBB (premultiplied).
std::vector<DWORD> RenderPixels(const CShadowCtrl& shadow, int width, int height,
                                const RECT& client)
{
    void* bits = nullptr;
    ScopedBitmap dib = CreateArgbDib(width, height, &bits);
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    std::vector<DWORD> pixels;
    if (!dib || !dc)
        return pixels;
    {
        ScopedSelect selected(dc.get(), dib.get());
        shadow.Render(dc.get(), client);
    }
    GdiFlush();
    const DWORD* rows = static_cast<const DWORD*>(bits);
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = rows[(height - 1 - y) * width + x];
    }
    return pixels;
}

int Alpha(DWORD pixel) { return static_cast<int>(pixel >> 24); }
int Red(DWORD pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }

COLORREF ScreenPixel(int x, int y)
{
    ScopedWindowDc screen(nullptr);
    return GetPixel(screen.get(), x, y);
}

// Premultiplied grey over the black Xvfb root, as GetPixel sees it.
::testing::AssertionResult ScreenGrey(COLORREF c, int expected)
{
    if (std::abs(GetRValue(c) - expected) <= 2 && GetRValue(c) == GetGValue(c) &&
        GetGValue(c) == GetBValue(c))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "screen pixel 0x" << std::hex << c << ", grey 0x"
                                         << expected << " expected";
}

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

// An owner that keeps its shadow around itself, as the popup menu does.
class OwnerWindow : public CWindowCtrl {
public:
    explicit OwnerWindow(CShadowCtrl& shadow) : shadow(shadow) {}
    void OnMove(int, int) override { shadow.PlaceAround(hwnd); }
    void OnSize(UINT, int, int) override { shadow.PlaceAround(hwnd); }
    void OnShowWindow(BOOL show, UINT) override
    {
        ShowWindow(shadow.hwnd, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    }

private:
    CShadowCtrl& shadow;
};

class CountingShadow : public CShadowCtrl {
public:
    void Redraw(BYTE alpha) override
    {
        alphas.push_back(alpha);
        CShadowCtrl::Redraw(alpha);
    }
    std::vector<BYTE> alphas;
};

class ShadowFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.ok()); }
    void TearDown() override
    {
        for (CWindowCtrl* w : {static_cast<CWindowCtrl*>(&owner), static_cast<CWindowCtrl*>(&shadow)}) {
            if (w->hwnd && IsWindow(w->hwnd))
                DestroyWindow(w->hwnd);
        }
        PumpPending();
    }

    HWND CreateShadow(int x, int y)
    {
        return shadow.Create(0, nullptr, nullptr, WS_POPUP | WS_VISIBLE, x, y, 0, 0, nullptr);
    }
    // Shadow first, then the owner owned by it, as the menu creates them.
    void CreatePair(int x, int y, int width, int height)
    {
        ASSERT_TRUE(CreateShadow(x, y));
        ASSERT_TRUE(owner.Create(0, L"ShadowTestOwner", nullptr, WS_POPUP, x, y, width, height,
                                 shadow.hwnd));
        ShowWindow(owner.hwnd, SW_SHOWNOACTIVATE);
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(shadow.hwnd) != FALSE; }));
    }

    TestApp app;
    CountingShadow shadow;
    OwnerWindow owner{shadow};
};

} // namespace

// ---- path builder (no windows) ----

TEST(RoundRectPath, RunsAlongTheBorderWithRoundedCornersInOrder)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    const RECT r = {1, 1, 106, 58};
    const int a = 4;
    const auto path = BuildRoundRectPath(r, a);
    ASSERT_TRUE(path);
    EXPECT_EQ(Gdiplus::FillModeAlternate, path->GetFillMode());

    Gdiplus::Rect bounds;
    ASSERT_EQ(Gdiplus::Ok, path->GetBounds(&bounds));
    EXPECT_EQ(1, bounds.X);
    EXPECT_EQ(1, bounds.Y);
    EXPECT_EQ(105, bounds.Width);
    EXPECT_EQ(57, bounds.Height);

    const auto points = PathPoints(*path);
    ASSERT_GE(points.size(), 16u);
    for (const auto& p : points) {
        const bool onBorder = std::fabs(p.X - 1) < 0.01f || std::fabs(p.X - 106) < 0.01f ||
                              std::fabs(p.Y - 1) < 0.01f || std::fabs(p.Y - 58) < 0.01f;
        EXPECT_TRUE(onBorder) << p.X << "," << p.Y;
        // The sharp corners are cut off by the arcs.
        for (const auto& corner : {Gdiplus::PointF(1, 1), Gdiplus::PointF(106, 1),
                                   Gdiplus::PointF(106, 58), Gdiplus::PointF(1, 58)})
            EXPECT_FALSE(Near(p, corner.X, corner.Y)) << p.X << "," << p.Y;
    }
    EXPECT_TRUE(Near(points.front(), 1, 1 + a));
    EXPECT_TRUE(Near(points.back(), 1, 58 - a));
    EXPECT_TRUE(PassesInOrder(points, {{1 + a, 1}, {106 - a, 1}, {106, 1 + a}, {106, 58 - a},
                                       {106 - a, 58}, {1 + a, 58}, {1, 58 - a}, {1, 1 + a},
                                       {1, 58 - a}}));

    // One open figure.
    std::vector<BYTE> types(points.size());
    path->GetPathTypes(types.data(), static_cast<INT>(types.size()));
    for (size_t i = 1; i < types.size(); ++i)
        EXPECT_NE(Gdiplus::PathPointTypeStart, types[i] & Gdiplus::PathPointTypePathTypeMask) << i;
    EXPECT_EQ(0, types.back() & Gdiplus::PathPointTypeCloseSubpath);
}

TEST(RoundRectPath, DegenerateInputsStayInsideTheRectangle)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    Gdiplus::Rect bounds;

    // A radius larger than half the short side is cut down to it.
    const auto big = BuildRoundRectPath({10, 20, 30, 30}, 50);
    ASSERT_EQ(Gdiplus::Ok, big->GetBounds(&bounds));
    EXPECT_EQ(10, bounds.X);
    EXPECT_EQ(20, bounds.Y);
    EXPECT_EQ(20, bounds.Width);
    EXPECT_EQ(10, bounds.Height);
    EXPECT_TRUE(Near(PathPoints(*big).front(), 10, 25));

    // No radius: square corners, still the whole rectangle, same order.
    for (int radius : {0, -1}) {
        const auto square = BuildRoundRectPath({2, 3, 12, 9}, radius);
        const auto points = PathPoints(*square);
        ASSERT_FALSE(points.empty()) << radius;
        ASSERT_EQ(Gdiplus::Ok, square->GetBounds(&bounds));
        EXPECT_EQ(2, bounds.X);
        EXPECT_EQ(3, bounds.Y);
        EXPECT_EQ(10, bounds.Width);
        EXPECT_EQ(6, bounds.Height);
        EXPECT_TRUE(PassesInOrder(points, {{2, 3}, {12, 3}, {12, 9}, {2, 9}, {2, 3}, {2, 9}}))
            << radius;
    }

    // Inside-out rectangles (a shadow window too small for an outline).
    EXPECT_EQ(0, BuildRoundRectPath({1, 1, -2, -2}, 4)->GetPointCount());
    EXPECT_EQ(0, BuildRoundRectPath({6, 6, 3, 20}, 2)->GetPointCount());
}

// ---- layout arithmetic ----

TEST(ShadowLayout, OutlinesAndWindowRectangle)
{
    const auto outlines = ShadowOutlineLayout({0, 0, 108, 60}, 6, 3);
    EXPECT_TRUE(SameRect(RECT{1, 1, 106, 58}, outlines[0].rect));
    EXPECT_EQ(4, outlines[0].radius);
    EXPECT_TRUE(SameRect(RECT{3, 3, 104, 56}, outlines[1].rect));
    EXPECT_EQ(4, outlines[1].radius);
    EXPECT_TRUE(SameRect(RECT{6, 6, 101, 53}, outlines[2].rect));
    EXPECT_EQ(2, outlines[2].radius);

    EXPECT_TRUE(SameRect(RECT{194, 294, 302, 354}, ShadowWindowRect({200, 300, 296, 348}, 6)));
    EXPECT_TRUE(SameRect(RECT{94, 94, 1126, 810}, ShadowWindowRect({100, 100, 1120, 804}, 6)));
    // An empty owner rectangle is not grown into a visible one.
    EXPECT_TRUE(SameRect(RECT{50, 60, 50, 60}, ShadowWindowRect({50, 60, 50, 60}, 6)));
}

// ---- rendering ----

TEST_F(ShadowFixture, RenderedAlphaProfile)
{
    ASSERT_TRUE(CreateShadow(200, 300));
    const int w = 108;
    const int h = 60;
    const auto px = RenderPixels(shadow, w, h, {0, 0, w, h});
    ASSERT_EQ(static_cast<size_t>(w * h), px.size());
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * w + x]; };

    // 1, 3 and 6 pixels in from each edge: alpha 15, 50, 100.
    const int expected[][2] = {{1, 15}, {3, 50}, {6, 100}};
    for (const auto& e : expected) {
        const int d = e[0];
        for (DWORD p : {at(d, h / 2), at(w - 1 - d, h / 2), at(w / 2, d), at(w / 2, h - 1 - d)}) {
            EXPECT_NEAR(e[1], Alpha(p), 3) << "depth " << d;
            // Premultiplied grey 0x8A.
            EXPECT_NEAR(0x8A * Alpha(p) / 255, Red(p), 2) << "depth " << d;
        }
    }
    // Inside the outlines and in the cut-off corners nothing is drawn.
    for (int y = 12; y < h - 12; ++y) {
        for (int x = 12; x < w - 12; ++x)
            ASSERT_EQ(0u, at(x, y)) << x << "," << y;
    }
    for (const auto& c : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
        EXPECT_EQ(0u, at(c.x, c.y)) << c.x << "," << c.y;

    // Menu colours: lighter grey at the same alpha.
    shadow.SetMenuColors();
    const auto menu = RenderPixels(shadow, w, h, {0, 0, w, h});
    const DWORD strong = menu[static_cast<size_t>(h / 2) * w + 6];
    EXPECT_NEAR(100, Alpha(strong), 3);
    EXPECT_NEAR(0x9E * 100 / 255, Red(strong), 2);
    EXPECT_EQ(static_cast<Gdiplus::ARGB>(0x649E9E9E), shadow.outlineColors[2]);

    // A client area too small for any outline leaves the DIB untouched.
    const auto none = RenderPixels(shadow, 8, 8, {0, 0, 0, 0});
    for (DWORD p : none)
        EXPECT_EQ(0u, p);
}

// ---- the window ----

TEST_F(ShadowFixture, CreationMakesALayeredToolWindow)
{
    ASSERT_TRUE(CreateShadow(200, 300));
    wchar_t name[64] = {};
    GetClassNameW(shadow.hwnd, name, 64);
    EXPECT_STREQ(L"ShadowCtrl", name);
    const LONG_PTR style = GetWindowLongPtrW(shadow.hwnd, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(shadow.hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(shadow.updateLayeredWindow != nullptr);
    for (const auto& pen : shadow.outlinePens)
        EXPECT_TRUE(pen != nullptr);

    // Shown at 0 x 0: the redraw on show and an explicit one draw nothing.
    shadow.Redraw(255);
    RECT r = {};
    GetWindowRect(shadow.hwnd, &r);
    EXPECT_TRUE(SameRect(RECT{200, 300, 200, 300}, r));
    EXPECT_TRUE(IsWindow(shadow.hwnd));
}

TEST_F(ShadowFixture, FollowsItsOwnerAndReachesTheScreen)
{
    CreatePair(200, 300, 96, 48);
    RECT r = {};
    GetWindowRect(shadow.hwnd, &r);
    EXPECT_TRUE(SameRect(RECT{194, 294, 302, 354}, r));
    GetClientRect(shadow.hwnd, &r);
    EXPECT_EQ(108, r.right);
    EXPECT_EQ(60, r.bottom);

    // Moved and resized, the shadow keeps 6 pixels on every side.
    // (Far right: screen reads must not meet other tests' windows.)
    MoveWindow(owner.hwnd, 1400, 120, 300, 200, TRUE);
    GetWindowRect(shadow.hwnd, &r);
    EXPECT_TRUE(SameRect(RECT{1394, 114, 1706, 326}, r));
    SetWindowPos(owner.hwnd, nullptr, 0, 0, 320, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(shadow.hwnd, &r);
    EXPECT_TRUE(SameRect(RECT{1394, 114, 1726, 276}, r));

    // The layered image sits where the window is: the outlines over the
    // black root (the owner covers everything from 6 pixels in), the
    // cut-off corner still black.
    const int midY = (r.top + r.bottom) / 2;
    EXPECT_TRUE(PumpUntil([&] { return ScreenGrey(ScreenPixel(r.right - 6, midY), 0x8A * 100 / 255); }));
    EXPECT_TRUE(ScreenGrey(ScreenPixel(r.left + 1, midY), 0x8A * 15 / 255));
    EXPECT_TRUE(ScreenGrey(ScreenPixel(r.left + 3, midY), 0x8A * 50 / 255));
    EXPECT_TRUE(ScreenGrey(ScreenPixel(r.left + 5, midY), 0x8A * 100 / 255));
    EXPECT_TRUE(ScreenGrey(ScreenPixel(r.right - 6, midY), 0x8A * 100 / 255));
    EXPECT_TRUE(ScreenGrey(ScreenPixel((r.left + r.right) / 2, r.bottom - 2), 0x8A * 15 / 255));
    EXPECT_TRUE(ScreenGrey(ScreenPixel(r.left, r.top), 0));
}

TEST_F(ShadowFixture, RedrawsWhenShownOnly)
{
    CreatePair(1450, 600, 200, 100);
    RECT r = {};
    GetWindowRect(shadow.hwnd, &r);
    const int midY = (r.top + r.bottom) / 2;

    // Showing and hiding are handled at once, redraws included.
    ShowWindow(owner.hwnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(shadow.hwnd));
    shadow.alphas.clear();
    shadow.SetMenuColors();  // only a redraw can bring this to the screen
    ShowWindow(owner.hwnd, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(shadow.hwnd));
    ASSERT_EQ(1u, shadow.alphas.size());
    EXPECT_EQ(255, shadow.alphas[0]);
    EXPECT_TRUE(PumpUntil([&] { return ScreenGrey(ScreenPixel(r.left + 5, midY), 0x9E * 100 / 255); }))
        << ScreenGrey(ScreenPixel(r.left + 5, midY), 0x9E * 100 / 255).message();

    ShowWindow(owner.hwnd, SW_HIDE);
    EXPECT_EQ(1u, shadow.alphas.size());
}

TEST_F(ShadowFixture, CloseReleasesPensAndTheWindowCanComeBack)
{
    CreatePair(200, 300, 96, 48);
    const HWND first = shadow.hwnd;
    DestroyWindow(owner.hwnd);
    PostMessageW(first, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(first); }, 2000));
    EXPECT_EQ(nullptr, shadow.hwnd);
    for (const auto& pen : shadow.outlinePens)
        EXPECT_EQ(nullptr, pen);

    // The next show creates it again from the same object.
    CreatePair(220, 320, 96, 48);
    ASSERT_TRUE(IsWindow(shadow.hwnd));
    EXPECT_TRUE(GetWindowLongPtrW(shadow.hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    for (const auto& pen : shadow.outlinePens)
        EXPECT_TRUE(pen != nullptr);
    RECT r = {};
    GetWindowRect(shadow.hwnd, &r);
    EXPECT_TRUE(SameRect(RECT{214, 314, 322, 374}, r));
}

// Hiding or destroying a window that Wine thinks a window manager handles
// costs about 2 s on Xvfb, so the cycles go through the show handler and
// the owner's moves rather than through real hide/show pairs.
TEST_F(ShadowFixture, NoGrowthOverRepeatedRedraws)
{
    // One lost DIB per redraw would be about 260 KB, some 150 MB over the run.
    CreatePair(100, 100, 300, 200);
    auto cycle = [&](int i) {
        if (i % 2)
            shadow.SetMenuColors();
        SendMessageW(shadow.hwnd, WM_SHOWWINDOW, TRUE, 0);
        MoveWindow(owner.hwnd, 100 + (i % 2), 100, 300, 200 - (i % 2), TRUE);
        PumpPending();
    };
    for (int i = 0; i < 20; ++i)
        cycle(i);
    const size_t redrawsBefore = shadow.alphas.size();
    const SIZE_T before = WorkingSet();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 200; ++i)
        cycle(i);
    const SIZE_T after = WorkingSet();
    // Each cycle really rendered: on show, after the move, after the resize.
    EXPECT_EQ(redrawsBefore + 600, shadow.alphas.size());
    EXPECT_LT(after, before + 16u * 1024 * 1024) << "before " << before << " after " << after;
}
