// ctest: desktop
#include "DibCanvas.h"
#include "ImageProbe.h"
#include "TestApp.h"

#include "ui/CImagePaint.h"
#include "ui/CImageStatic.h"
#include "ui/LoadPngImage.h"
#include "RectAssert.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Title-bar close pictures at button pixel (6, 6).
constexpr uint32_t kCloseNormal = 0xFF222F58;   // 209
constexpr uint32_t kCloseHover = 0xFFD6473B;    // 210
constexpr uint32_t kClosePressed = 0xFF781815;  // 152

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

::testing::AssertionResult Near(uint32_t actual, uint32_t expected)
{
    if (ColorNear(actual, expected, 10))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hex << "pixel 0x" << actual << ", expected 0x"
                                         << expected;
}

// COLORREF (0x00BBGGRR) as 0x00RRGGBB.
uint32_t Rgb(COLORREF c)
{
    return (static_cast<uint32_t>(GetRValue(c)) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

struct UpdateRegion {
    explicit UpdateRegion(HWND h) : region(CreateRectRgn(0, 0, 0, 0))
    {
        type = GetUpdateRgn(h, region.get(), FALSE);
        GetRgnBox(region.get(), &box);
    }
    bool Contains(int x, int y) const { return PtInRegion(region.get(), x, y) != FALSE; }
    ScopedRegion region;
    int type = ERROR;
    RECT box = {0, 0, 0, 0};
};

class ImagePaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        // Park the real cursor away from every test window so the system's
        // own mouse tracking stays out of the messages the tests send.
        SetCursorPos(1910, 1070);
        LayeredCapture::Last() = LayeredCapture();
    }

    // A layered probe whose pushes land in LayeredCapture.
    static HWND OpenLayered(ProbeWindow& w, int x, int y, int width, int height)
    {
        const HWND h = w.Open(x, y, width, height);
        w.painter.EnableLayered();
        w.painter.updateLayeredWindow = &LayeredCapture::Hook;
        w.painter.updateLayeredWindowIndirect = &LayeredCapture::HookIndirect;
        return h;
    }

    TestApp app;
};

} // namespace

TEST_F(ImagePaint, LayeredRenderShowsNormalHoverAndPressedPictures)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 100, 100, 200, 100);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(w.painter.layered);
    EXPECT_FALSE(w.painter.fillBackground);
    EXPECT_NE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    w.painter.AddButton(500, RECT{50, 20, 75, 45}, 209, 210, 152, 209);
    const LayeredCapture& shot = LayeredCapture::Last();

    w.painter.UpdateLayered();
    ASSERT_EQ(shot.calls, 1);
    EXPECT_EQ(shot.window, h);
    EXPECT_EQ(shot.size.cx, 200);
    EXPECT_EQ(shot.size.cy, 100);
    EXPECT_EQ(shot.destination.x, 100);
    EXPECT_EQ(shot.destination.y, 100);
    EXPECT_EQ(shot.alpha, 255);
    EXPECT_EQ(shot.flags, static_cast<DWORD>(ULW_ALPHA));
    ASSERT_EQ(shot.width, 200);
    EXPECT_TRUE(Near(shot.Pixel(56, 26), kCloseNormal));
    // Nothing is filled behind the elements of a layered window.
    EXPECT_EQ(AlphaOf(shot.Pixel(5, 5)), 0);
    EXPECT_GT(w.backgroundPaints, 0);
    EXPECT_GT(w.foregroundPaints, 0);

    Hover(h, 60, 30);
    EXPECT_EQ(shot.calls, 2);
    EXPECT_TRUE(Near(shot.Pixel(56, 26), kCloseHover));

    SendMouse(h, WM_LBUTTONDOWN, 60, 30, MK_LBUTTON);
    EXPECT_EQ(shot.calls, 3);
    EXPECT_TRUE(Near(shot.Pixel(56, 26), kClosePressed));
    EXPECT_EQ(AlphaOf(shot.Pixel(56, 26)), 255);

    SendMouse(h, WM_LBUTTONUP, 60, 30);
    EXPECT_EQ(w.clicks, std::vector<int>{500});
    EXPECT_TRUE(Near(shot.Pixel(56, 26), kCloseHover));

    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.painter.hotButton, nullptr);
    EXPECT_TRUE(Near(shot.Pixel(56, 26), kCloseNormal));
    DestroyWindow(h);
}

TEST_F(ImagePaint, LayeredUpdateCoversALauncherSizedWindow)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 0, 0, 1411, 704);
    ASSERT_NE(h, nullptr);
    w.painter.AddImage(RECT{0, 0, 1411, 704}, 145, 1, false);
    const LayeredCapture& shot = LayeredCapture::Last();
    for (int i = 0; i < 3; ++i)
        w.painter.UpdateLayered();
    EXPECT_EQ(shot.calls, 3);
    ASSERT_EQ(shot.width, 1411);
    ASSERT_EQ(shot.height, 704);
    // The picture's own transparency reaches the screen: an empty corner, an
    // opaque middle.
    EXPECT_EQ(AlphaOf(shot.Pixel(0, 0)), 0);
    EXPECT_TRUE(Near(shot.Pixel(705, 352), 0xFF080C1C));
    DestroyWindow(h);
}

namespace {

// The back window's background, close and first link button (strips, the
// link stretched by a column), a later button over the link's end and a
// translucent foreground over both.
constexpr RECT kBackClose = {1310, 120, 1341, 151};
constexpr RECT kBackLink = {620, 158, 739, 200};
constexpr RECT kBackOver = {730, 150, 755, 175};

void DrawVeil(Gdiplus::Graphics& g)
{
    Gdiplus::SolidBrush veil(Gdiplus::Color(0x60, 0x20, 0x80, 0xFF));
    g.FillEllipse(&veil, 600, 140, 180, 80);
}

void AddBackLikeElements(CImagePaint& p)
{
    p.AddImage(RECT{0, 0, 1411, 704}, 145, 1, false);
    p.AddButton(1002, kBackClose, 0, 0, 0, 0)->SetImageStrip(130);
    p.AddButton(1003, kBackLink, 0, 0, 0, 0)->SetImageStrip(131);
    p.AddButton(501, kBackOver, 209, 210, 152, 209);
    // The background is the first thing drawn.
    p.SetOnPaintBackground(nullptr);
    p.SetOnPaintForeground(&DrawVeil);
}

// Pixels of `a` and `b` that differ by more than `tolerance` in a channel.
size_t Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += ColorNear(a[i], b[i], tolerance) ? 0 : 1;
    return count;
}

} // namespace

TEST_F(ImagePaint, AButtonChangeRedrawsItsRectangleToTheFullRedrawsPixels)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 0, 0, 1411, 704);
    ASSERT_NE(h, nullptr);
    AddBackLikeElements(w.painter);
    const LayeredCapture& shot = LayeredCapture::Last();
    w.painter.UpdateLayered();

    RECT both;
    UnionRect(&both, &kBackLink, &kBackOver);
    const struct {
        const char* change;
        UINT message;
        POINT at;
        RECT dirty;
    } steps[] = {
        {"hover", WM_MOUSEMOVE, {700, 179}, kBackLink},
        {"hover moves to the button above", WM_MOUSEMOVE, {745, 165}, both},
        {"press", WM_LBUTTONDOWN, {745, 165}, kBackOver},
        {"release", WM_LBUTTONUP, {745, 165}, kBackOver},
        {"leave", WM_MOUSELEAVE, {0, 0}, kBackOver},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        const int calls = shot.calls;
        SendMouse(h, step.message, step.at.x, step.at.y,
                  step.message == WM_LBUTTONDOWN ? MK_LBUTTON : 0);
        ASSERT_EQ(shot.calls, calls + 1);
        EXPECT_TRUE(RectIs(shot.dirty, step.dirty));
        const std::vector<uint32_t> changed = shot.pixels;
        w.painter.UpdateLayered();
        EXPECT_TRUE(RectIs(shot.dirty, 0, 0, 1411, 704));
        EXPECT_EQ(Differences(changed, shot.pixels, 0), 0u);
    }
    EXPECT_EQ(w.clicks, std::vector<int>{501});
    DestroyWindow(h);
}

TEST_F(ImagePaint, LayeredRenderKeepsTheBlendedPicturesPixels)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 0, 0, 1411, 704);
    ASSERT_NE(h, nullptr);
    AddBackLikeElements(w.painter);
    w.painter.UpdateLayered();
    const LayeredCapture& shot = LayeredCapture::Last();
    ASSERT_EQ(shot.width, 1411);

    // As every picture used to be drawn: straight from the decoded PNG.
    DibCanvas reference(1411, 704);
    ASSERT_TRUE(reference.ok());
    Gdiplus::Graphics& g = reference.graphics();
    const auto place = [&](Gdiplus::Image* picture, const RECT& r) {
        ASSERT_NE(picture, nullptr);
        g.DrawImage(picture, static_cast<INT>(r.left), static_cast<INT>(r.top),
                    static_cast<INT>(r.right - r.left), static_cast<INT>(r.bottom - r.top));
    };
    place(LoadPngImage(145).get(), RECT{0, 0, 1411, 704});
    place(CImageButton::CropImage(LoadPngImage(130).get(), 0, 34, 33).get(), kBackClose);
    place(CImageButton::CropImage(LoadPngImage(131).get(), 0, 118, 42).get(), kBackLink);
    place(LoadPngImage(209).get(), kBackOver);
    DrawVeil(g);
    reference.Flush();
    std::vector<uint32_t> expected(static_cast<size_t>(1411) * 704);
    for (int y = 0; y < 704; ++y)
        for (int x = 0; x < 1411; ++x)
            expected[static_cast<size_t>(y) * 1411 + x] = reference.Pixel(x, y);
    // Premultiplying once may round a channel by one.
    EXPECT_EQ(Differences(expected, shot.pixels, 1), 0u);
    DestroyWindow(h);
}

TEST_F(ImagePaint, LosingTheCaptureEndsThePress)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 100, 100, 200, 100);
    ASSERT_NE(h, nullptr);
    w.painter.AddButton(501, RECT{20, 20, 45, 45}, 209, 210, 152, 209);
    CImageButton* other = w.painter.AddButton(502, RECT{100, 20, 125, 45}, 209, 210, 152, 209);
    const LayeredCapture& shot = LayeredCapture::Last();
    for (bool cancelMode : {false, true}) {
        SCOPED_TRACE(cancelMode ? "WM_CANCELMODE" : "ReleaseCapture");
        Hover(h, 30, 30);
        SendMouse(h, WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
        ASSERT_EQ(GetCapture(), h);
        EXPECT_TRUE(Near(shot.Pixel(26, 26), kClosePressed));
        if (cancelMode)
            SendMessageW(h, WM_CANCELMODE, 0, 0);
        else
            ReleaseCapture();
        EXPECT_NE(GetCapture(), h);
        EXPECT_FALSE(w.painter.captured);
        EXPECT_FALSE(w.painter.leftPressed);
        EXPECT_TRUE(RectIs(w.painter.pressedRect, -1, -1, -1, -1));
        EXPECT_TRUE(Near(shot.Pixel(26, 26), kCloseHover));

        // Hover moves on, and the next press takes the mouse again.
        Hover(h, 110, 30);
        EXPECT_EQ(w.painter.hotButton, other);
        EXPECT_TRUE(Near(shot.Pixel(26, 26), kCloseNormal));
        SendMouse(h, WM_LBUTTONDOWN, 110, 30, MK_LBUTTON);
        EXPECT_EQ(GetCapture(), h);
        SendMouse(h, WM_LBUTTONUP, 110, 30);
        SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    }
    EXPECT_EQ(w.clicks, (std::vector<int>{502, 502}));
    DestroyWindow(h);
}

TEST_F(ImagePaint, ReleaseOutsideThePressedButtonDoesNotClick)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    CImageButton* button = w.painter.AddButton(500, RECT{50, 50, 100, 80}, 209, 210, 152, 209);

    Hover(h, 60, 60);
    EXPECT_EQ(w.painter.hotButton, button);
    EXPECT_EQ(w.hovers, std::vector<int>{500});
    SendMouse(h, WM_LBUTTONDOWN, 60, 60, MK_LBUTTON);
    EXPECT_EQ(w.downs, std::vector<int>{500});
    EXPECT_TRUE(w.painter.leftPressed);
    EXPECT_TRUE(SameRect(w.painter.pressedRect, button->rect));
    EXPECT_EQ(GetCapture(), h);

    // While held, leaving the button changes nothing about the hot button.
    Hover(h, 200, 150);
    EXPECT_EQ(w.painter.hotButton, button);
    SendMouse(h, WM_LBUTTONUP, 200, 150);
    EXPECT_TRUE(w.clicks.empty());
    EXPECT_EQ(w.painter.hotButton, nullptr);
    EXPECT_EQ(w.painter.mousePos.x, -1);
    EXPECT_TRUE(RectIs(w.painter.pressedRect, -1, -1, -1, -1));
    EXPECT_NE(GetCapture(), h);
    EXPECT_FALSE(w.painter.captured);

    // The rectangle at press time counts: a button moved while held does
    // not click where it moved to, but stays hot there.
    Hover(h, 60, 60);
    SendMouse(h, WM_LBUTTONDOWN, 60, 60, MK_LBUTTON);
    const RECT moved = {150, 50, 200, 80};
    button->SetRect(&moved);
    SendMouse(h, WM_LBUTTONUP, 160, 60);
    EXPECT_TRUE(w.clicks.empty());
    EXPECT_EQ(w.painter.hotButton, button);

    Hover(h, 10, 10);
    Hover(h, 160, 60);
    ClickAt(h, 160, 60);
    EXPECT_EQ(w.clicks, std::vector<int>{500});
    DestroyWindow(h);
}

TEST_F(ImagePaint, DecorationIdsNeverBecomeHot)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 400, 100);
    const int ids[] = {99, 100, 150, 250, 251};
    for (int i = 0; i < 5; ++i)
        w.painter.AddButton(ids[i], RECT{10 + 60 * i, 50, 40 + 60 * i, 80}, 209, 210, 152, 209);
    CImageButton* hidden = w.painter.AddButton(300, RECT{320, 10, 350, 40}, 209, 210, 152, 209);
    hidden->visible = false;

    for (int i = 0; i < 5; ++i) {
        Hover(h, 20 + 60 * i, 60);
        const bool decoration = ids[i] >= 100 && ids[i] <= 250;
        EXPECT_EQ(w.painter.hotButton, decoration ? nullptr : w.painter.FindButton(ids[i]))
            << "id " << ids[i];
        ClickAt(h, 20 + 60 * i, 60);
    }
    EXPECT_EQ(w.hovers, (std::vector<int>{99, 251}));
    EXPECT_EQ(w.clicks, (std::vector<int>{99, 251}));

    Hover(h, 330, 20);
    EXPECT_EQ(w.painter.hotButton, nullptr);
    DestroyWindow(h);
}

TEST_F(ImagePaint, DoubleClickTogglesMaximiseWithinFortyPixelsOfTheTop)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    w.painter.dragEnabled = true;
    CImageButton* maximize = w.painter.AddButton(30, RECT{240, 0, 265, 25}, 211, 212, 156, 211);
    CImageButton* restore = w.painter.AddButton(40, RECT{240, 0, 265, 25}, 215, 216, 158, 215);
    restore->visible = false;

    SendMouse(h, WM_LBUTTONDBLCLK, 150, 41, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(h));
    SendMouse(h, WM_LBUTTONDBLCLK, 150, 40, MK_LBUTTON);
    EXPECT_TRUE(IsZoomed(h));
    EXPECT_FALSE(maximize->visible);
    EXPECT_TRUE(restore->visible);
    // y is signed: a point above the client area is still in the caption.
    SendMouse(h, WM_LBUTTONDBLCLK, 150, -5, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(h));
    EXPECT_TRUE(maximize->visible);
    EXPECT_FALSE(restore->visible);

    w.painter.dragEnabled = false;
    SendMouse(h, WM_LBUTTONDBLCLK, 150, 10, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(h));

    ProbeWindow bare;
    const HWND other = bare.Open(100, 100, 300, 200);
    bare.painter.dragEnabled = true;
    bare.painter.AddButton(30, RECT{240, 0, 265, 25}, 211, 212, 156, 211);
    SendMouse(other, WM_LBUTTONDBLCLK, 150, 10, MK_LBUTTON);
    EXPECT_FALSE(IsZoomed(other));
    DestroyWindow(other);
    DestroyWindow(h);
}

TEST_F(ImagePaint, CaptionDragStartsOnlyOffButtons)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    w.painter.dragEnabled = true;
    w.painter.AddButton(500, RECT{250, 5, 275, 30}, 209, 210, 152, 209);
    TakeCaptionDrag(h);

    // On a button: capture and click, no drag.
    Hover(h, 260, 10);
    SendMouse(h, WM_LBUTTONDOWN, 260, 10, MK_LBUTTON);
    EXPECT_FALSE(TakeCaptionDrag(h));
    EXPECT_EQ(GetCapture(), h);
    SendMouse(h, WM_LBUTTONUP, 260, 10);
    EXPECT_EQ(w.clicks, std::vector<int>{500});

    // Off the buttons in the top 40 pixels: the system move starts.
    Hover(h, 100, 40);
    SendMouse(h, WM_LBUTTONDOWN, 100, 40, MK_LBUTTON);
    LPARAM where = 0;
    EXPECT_TRUE(TakeCaptionDrag(h, &where));
    EXPECT_EQ(where, MAKELPARAM(100, 40));
    EXPECT_TRUE(RectIs(w.painter.pressedRect, -1, -1, -1, -1));
    EXPECT_FALSE(w.painter.leftPressed);
    SendMouse(h, WM_LBUTTONUP, 100, 40);

    SendMouse(h, WM_LBUTTONDOWN, 100, 41, MK_LBUTTON);
    EXPECT_FALSE(TakeCaptionDrag(h));
    SendMouse(h, WM_LBUTTONUP, 100, 41);

    w.painter.dragEnabled = false;
    SendMouse(h, WM_LBUTTONDOWN, 100, 10, MK_LBUTTON);
    EXPECT_FALSE(TakeCaptionDrag(h));
    SendMouse(h, WM_LBUTTONUP, 100, 10);

    // An explicit caption area drags anywhere inside it, still not from a button.
    w.painter.dragEnabled = true;
    w.painter.captionRect = RECT{0, 0, 300, 200};
    SendMouse(h, WM_LBUTTONDOWN, 100, 150, MK_LBUTTON);
    EXPECT_TRUE(TakeCaptionDrag(h));
    SendMouse(h, WM_LBUTTONUP, 100, 150);
    Hover(h, 260, 10);
    SendMouse(h, WM_LBUTTONDOWN, 260, 10, MK_LBUTTON);
    EXPECT_FALSE(TakeCaptionDrag(h));
    SendMouse(h, WM_LBUTTONUP, 260, 10);
    EXPECT_EQ(w.clicks, (std::vector<int>{500, 500}));
    DestroyWindow(h);
}

TEST_F(ImagePaint, AddingAnExistingIdKeepsTheElementAndItsPlace)
{
    CImagePaint painter;
    CImageButton* first = painter.AddButton(1, RECT{0, 0, 25, 25}, 209, 210, 152, 209);
    CImageButton* second = painter.AddButton(2, RECT{30, 0, 55, 25}, 213, 214, 157, 213);
    first->SetText(L"caption");

    CImageButton* again = painter.AddButton(1, RECT{5, 5, 30, 30}, 211, 212, 156, 211);
    EXPECT_EQ(again, first);
    ASSERT_EQ(painter.buttons.size(), 2u);
    EXPECT_EQ(painter.buttons[0].get(), first);
    EXPECT_EQ(painter.buttons[1].get(), second);
    EXPECT_TRUE(RectIs(first->rect, 5, 5, 30, 30));
    EXPECT_STREQ(first->text, L"");

    // The new pictures are the ones drawn (middle of 211, not of 209).
    DibCanvas canvas(40, 40);
    ASSERT_TRUE(canvas.ok());
    first->Draw(canvas.graphics(), POINT{-1, -1}, 0, nullptr);
    EXPECT_TRUE(Near(canvas.Pixel(17, 17), 0xFF1A2548));

    // A normal id of 0 keeps the pictures.
    Gdiplus::Image* kept = first->normalImage.get();
    painter.AddButton(1, RECT{5, 5, 30, 30}, 0, 0, 0, 0);
    EXPECT_EQ(first->normalImage.get(), kept);

    // A picture that does not exist is no error, just no picture.
    CImageButton* blank = painter.AddButton(3, RECT{0, 0, 10, 10}, 136, 136, 136, 136);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->normalImage, nullptr);

    CImageStatic* strip = painter.AddImage(RECT{0, 0, 100, 25}, 217, 7, false);
    painter.AddImage(RECT{0, 0, 16, 16}, 137, 8, false);
    ASSERT_NE(strip->image, nullptr);
    CImageStatic* replaced = painter.AddImage(RECT{1, 2, 3, 4}, 0, 7, true);
    EXPECT_EQ(replaced, strip);
    ASSERT_EQ(painter.images.size(), 2u);
    EXPECT_EQ(painter.images[0].get(), strip);
    EXPECT_TRUE(RectIs(strip->rect, 1, 2, 3, 4));
    EXPECT_TRUE(strip->smooth);
    EXPECT_EQ(strip->image, nullptr);

    EXPECT_TRUE(painter.RemoveImage(8));
    EXPECT_FALSE(painter.RemoveImage(8));
    EXPECT_TRUE(painter.RemoveButton(2));
    EXPECT_EQ(painter.FindButton(2), nullptr);
}

TEST_F(ImagePaint, AnchoredElementsFollowTheClientEdges)
{
    ProbeWindow w;
    const HWND h = OpenLayered(w, 100, 100, 300, 200);
    CImagePaint& p = w.painter;
    CImageStatic* strip = p.AddImage(RECT{0, 0, 300, 25}, 217, 1, true);
    strip->rightAnchor = 0;
    strip->fixedLeft = 0;
    CImageStatic* emblem = p.AddImage(RECT{280, 5, 296, 21}, 137, 2, false);
    emblem->rightAnchor = 4;
    CImageStatic* still = p.AddImage(RECT{10, 30, 26, 46}, 137, 3, false);
    CImageButton* close = p.AddButton(10, RECT{270, 0, 295, 25}, 209, 210, 152, 209);
    close->rightAnchor = 5;
    CImageButton* foot = p.AddButton(501, RECT{10, 170, 35, 195}, 209, 210, 152, 209);
    foot->bottomAnchor = 5;

    SetWindowPos(h, nullptr, 0, 0, 500, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(RectIs(strip->rect, 0, 0, 500, 25));
    EXPECT_TRUE(RectIs(emblem->rect, 480, 5, 496, 21));
    EXPECT_TRUE(RectIs(still->rect, 10, 30, 26, 46));
    EXPECT_TRUE(RectIs(close->rect, 470, 0, 495, 25));
    EXPECT_TRUE(RectIs(foot->rect, 10, 230, 35, 255));
    // The resize re-rendered: the strip reaches the right edge.
    const LayeredCapture& shot = LayeredCapture::Last();
    ASSERT_EQ(shot.width, 500);
    EXPECT_EQ(AlphaOf(shot.Pixel(440, 20)), 255);
    EXPECT_EQ(AlphaOf(shot.Pixel(440, 27)), 0);

    SetWindowPos(h, nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(RectIs(strip->rect, 0, 0, 250, 25));
    EXPECT_TRUE(RectIs(emblem->rect, 230, 5, 246, 21));
    EXPECT_TRUE(RectIs(close->rect, 220, 0, 245, 25));
    EXPECT_TRUE(RectIs(foot->rect, 10, 120, 35, 145));
    EXPECT_TRUE(RectIs(still->rect, 10, 30, 26, 46));
    DestroyWindow(h);
}

TEST_F(ImagePaint, EraseBackgroundIsAlwaysHandled)
{
    ProbeWindow empty;
    const HWND none = empty.Open(100, 100, 0, 0);
    ASSERT_NE(none, nullptr);
    ScopedWindowDc noneDc(none);
    EXPECT_NE(SendMessageW(none, WM_ERASEBKGND, reinterpret_cast<WPARAM>(noneDc.get()), 0), 0);
    EXPECT_EQ(empty.backgroundPaints, 0);
    EXPECT_TRUE(RectIs(empty.painter.erasedRect, 0, 0, 0, 0));

    ProbeWindow w;
    const HWND h = w.Open(100, 100, 200, 100, WS_POPUP | WS_VISIBLE);
    UpdateWindow(h);
    ScopedWindowDc dc(h);
    const auto erase = [&] {
        return SendMessageW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    };
    EXPECT_TRUE(RectIs(w.painter.erasedRect, 0, 0, 200, 100));

    // Same size as last time: handled, nothing painted, the update stays.
    InvalidateRect(h, nullptr, FALSE);
    int paints = w.backgroundPaints;
    EXPECT_NE(erase(), 0);
    EXPECT_EQ(w.backgroundPaints, paints);
    EXPECT_TRUE(GetUpdateRect(h, nullptr, FALSE));
    UpdateWindow(h);

    // A new size: the erase paints the window.
    SetWindowPos(h, nullptr, 0, 0, 220, 90,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    InvalidateRect(h, nullptr, FALSE);
    paints = w.backgroundPaints;
    EXPECT_NE(erase(), 0);
    EXPECT_EQ(w.backgroundPaints, paints + 1);
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    EXPECT_TRUE(RectIs(w.painter.erasedRect, 0, 0, 220, 90));
    DestroyWindow(h);
    DestroyWindow(none);
}

TEST_F(ImagePaint, HoverInvalidatesOnlyTheButtonAndPaintDrawsOnlyWhatIntersects)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200, WS_POPUP | WS_VISIBLE);
    ProbeButton* a = AddProbe(w.painter, 501, RECT{20, 20, 45, 45});
    ProbeButton* b = AddProbe(w.painter, 502, RECT{200, 20, 225, 45});
    ProbeButton* c = AddProbe(w.painter, 503, RECT{20, 150, 45, 175});
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    EXPECT_GT(a->draws, 0);
    EXPECT_GT(c->draws, 0);
    ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    a->draws = b->draws = c->draws = 0;

    Hover(h, 30, 30);
    {
        UpdateRegion update(h);
        EXPECT_EQ(update.type, SIMPLEREGION);
        EXPECT_TRUE(RectIs(update.box, 20, 20, 45, 45));
    }
    UpdateWindow(h);
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 0);
    EXPECT_EQ(c->draws, 0);
    {
        // What the memory DC drew reached the window.
        ScopedWindowDc dc(h);
        EXPECT_TRUE(Near(0xFF000000u | Rgb(GetPixel(dc.get(), 26, 26)), kCloseHover));
        EXPECT_TRUE(Near(0xFF000000u | Rgb(GetPixel(dc.get(), 206, 26)), kCloseNormal));
        EXPECT_TRUE(Near(0xFF000000u | Rgb(GetPixel(dc.get(), 150, 100)), 0xFFFAFAFA));
    }

    // Straight from one button to the other: both, and nothing between.
    Hover(h, 210, 30);
    {
        UpdateRegion update(h);
        EXPECT_EQ(update.type, COMPLEXREGION);
        EXPECT_TRUE(update.Contains(30, 30));
        EXPECT_TRUE(update.Contains(210, 30));
        EXPECT_FALSE(update.Contains(100, 30));
        EXPECT_FALSE(update.Contains(30, 160));
    }
    UpdateWindow(h);
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 1);
    EXPECT_EQ(c->draws, 0);

    // Moving within the hot button invalidates nothing.
    Hover(h, 215, 35);
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    DestroyWindow(h);
}

TEST_F(ImagePaint, RightClickNeedsReleaseWhereItWentDown)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    w.painter.AddButton(500, RECT{50, 50, 100, 80}, 209, 210, 152, 209);
    Hover(h, 60, 60);
    SendMouse(h, WM_RBUTTONDOWN, 60, 60, MK_RBUTTON);
    EXPECT_EQ(w.rightDowns, std::vector<int>{500});
    EXPECT_EQ(GetCapture(), h);
    SendMouse(h, WM_RBUTTONUP, 70, 70);
    EXPECT_EQ(w.rightClicks, std::vector<int>{500});
    EXPECT_NE(GetCapture(), h);
    EXPECT_TRUE(RectIs(w.painter.rightPressedRect, -1, -1, -1, -1));

    SendMouse(h, WM_RBUTTONDOWN, 60, 60, MK_RBUTTON);
    SendMouse(h, WM_RBUTTONUP, 200, 150);
    EXPECT_EQ(w.rightClicks.size(), 1u);
    EXPECT_EQ(w.painter.hotButton, nullptr);
    DestroyWindow(h);
}

TEST_F(ImagePaint, BuiltInButtonsCloseMinimiseAndMaximise)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    CImagePaint& p = w.painter;
    CImageButton* close = p.AddButton(10, RECT{270, 0, 295, 25}, 209, 210, 152, 209);
    p.AddButton(20, RECT{220, 0, 245, 25}, 213, 214, 157, 213);
    p.AddButton(30, RECT{245, 0, 270, 25}, 211, 212, 156, 211);
    p.AddButton(40, RECT{245, 0, 270, 25}, 215, 216, 158, 215)->visible = false;

    close->noDefaultAction = true;
    Hover(h, 280, 10);
    ClickAt(h, 280, 10);
    EXPECT_TRUE(IsWindow(h));

    Hover(h, 255, 10);
    ClickAt(h, 255, 10);
    EXPECT_TRUE(IsZoomed(h));
    // The restore button now lies where maximise was.
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
    Hover(h, 255, 10);
    EXPECT_EQ(p.hotButton, p.FindButton(40));
    ClickAt(h, 255, 10);
    EXPECT_FALSE(IsZoomed(h));

    Hover(h, 230, 10);
    ClickAt(h, 230, 10);
    EXPECT_TRUE(IsIconic(h));
    ShowWindow(h, SW_RESTORE);

    close->noDefaultAction = false;
    Hover(h, 280, 10);
    ClickAt(h, 280, 10);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(w.clicks, (std::vector<int>{10, 30, 40, 20, 10}));
}

TEST_F(ImagePaint, LinkButtonsShowTheHandCursor)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    CImageButton* link = w.painter.AddButton(600, RECT{50, 50, 132, 72}, 138, 0, 0, 0);
    link->kind = ButtonKind::Link;
    SetCursorPos(160, 160);
    EXPECT_NE(SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    link->kind = ButtonKind::Push;
    EXPECT_EQ(SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    SetCursorPos(1910, 1070);
    DestroyWindow(h);
}

// Callbacks may remove their own button, destroy the window or run a
// nested loop; the painter must not touch what is gone afterwards. Probe
// buttons trap any read after deletion.

namespace {

enum class Hook { Down, Click, Hover, RightDown, RightClick };

void SetHook(ProbeWindow& w, Hook which, ProbeWindow::Hook hook)
{
    switch (which) {
    case Hook::Down:
        w.downHook = std::move(hook);
        return;
    case Hook::Click:
        w.clickHook = std::move(hook);
        return;
    case Hook::Hover:
        w.hoverHook = std::move(hook);
        return;
    case Hook::RightDown:
        w.rightDownHook = std::move(hook);
        return;
    case Hook::RightClick:
        w.rightClickHook = std::move(hook);
        return;
    }
}

void PlayEveryButtonEvent(HWND h, int x, int y)
{
    Hover(h, x, y);
    ClickAt(h, x, y);
    SendMouse(h, WM_RBUTTONDOWN, x, y, MK_RBUTTON);
    SendMouse(h, WM_RBUTTONUP, x, y);
    Hover(h, x + 1, y);
    SendMessageW(h, WM_MOUSELEAVE, 0, 0);
}

} // namespace

TEST_F(ImagePaint, AHookMayRemoveItsOwnButton)
{
    const Hook hooks[] = {Hook::Down, Hook::Click, Hook::Hover, Hook::RightDown, Hook::RightClick};
    for (bool layered : {false, true}) {
        ProbeWindow w;
        const HWND h = layered ? OpenLayered(w, 100, 100, 300, 200)
                               : w.Open(100, 100, 300, 200, WS_POPUP | WS_VISIBLE);
        for (Hook which : hooks) {
            SCOPED_TRACE(::testing::Message() << "hook " << static_cast<int>(which)
                                              << (layered ? " layered" : ""));
            AddProbe(w.painter, 501, RECT{20, 20, 45, 45});
            AddProbe(w.painter, 502, RECT{100, 20, 125, 45});
            int calls = 0;
            SetHook(w, which, [&](CImageButton* b) {
                ++calls;
                EXPECT_EQ(b->id, 501);
                EXPECT_TRUE(w.painter.RemoveButton(501));
                return true;
            });
            Hover(h, 30, 30);
            SendMouse(h, WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
            UpdateWindow(h);
            SendMouse(h, WM_LBUTTONUP, 30, 30);
            if (which == Hook::Click && !layered) {
                // The release repaints where the removed button was.
                UpdateRegion update(h);
                EXPECT_TRUE(RectIs(update.box, 20, 20, 45, 45));
            }
            PlayEveryButtonEvent(h, 30, 30);
            EXPECT_EQ(calls, 1);
            EXPECT_EQ(w.painter.FindButton(501), nullptr);
            EXPECT_EQ(w.painter.hotButton, nullptr);
            EXPECT_FALSE(w.painter.leftPressed);
            EXPECT_FALSE(w.painter.rightPressed);
            EXPECT_NE(GetCapture(), h);
            UpdateWindow(h);
            if (layered) {
                w.painter.UpdateLayered();
                EXPECT_EQ(AlphaOf(LayeredCapture::Last().Pixel(30, 30)), 0);
            }
            // The other button still works.
            SetHook(w, which, nullptr);
            Hover(h, 110, 30);
            ClickAt(h, 110, 30);
            EXPECT_EQ(w.clicks.back(), 502);
            SendMessageW(h, WM_MOUSELEAVE, 0, 0);
            w.painter.RemoveButton(502);
        }
        DestroyWindow(h);
    }
}

TEST_F(ImagePaint, AHookMayDestroyTheWindow)
{
    // A second window that must not be repainted by anything done to the
    // first (InvalidateRect on a null window would reach every window).
    ProbeWindow sentinel;
    const HWND other = sentinel.Open(500, 100, 100, 100, WS_POPUP | WS_VISIBLE);
    UpdateWindow(other);
    InvalidateRect(nullptr, nullptr, TRUE);
    ASSERT_TRUE(GetUpdateRect(other, nullptr, FALSE)) << "sentinel cannot see a desktop repaint";
    UpdateWindow(other);

    const Hook hooks[] = {Hook::Down, Hook::Click, Hook::Hover, Hook::RightDown, Hook::RightClick};
    for (bool layered : {false, true}) {
        for (Hook which : hooks) {
            SCOPED_TRACE(::testing::Message() << "hook " << static_cast<int>(which)
                                              << (layered ? " layered" : ""));
            ProbeWindow w;
            const HWND h = w.Open(100, 100, 300, 200);
            if (layered) {
                w.painter.EnableLayered();
                w.painter.updateLayeredWindow = &LayeredCapture::Hook;
            }
            AddProbe(w.painter, 501, RECT{20, 20, 45, 45});
            SetHook(w, which, [&](CImageButton*) {
                DestroyWindow(h);
                return true;
            });
            PlayEveryButtonEvent(h, 30, 30);
            EXPECT_FALSE(IsWindow(h));
            EXPECT_EQ(w.hwnd, nullptr);
            EXPECT_EQ(w.painter.ownerWindow, nullptr);
            EXPECT_TRUE(w.painter.buttons.empty());
            EXPECT_FALSE(w.painter.captured);
            EXPECT_FALSE(GetUpdateRect(other, nullptr, FALSE));
        }
    }
    DestroyWindow(other);
}

TEST_F(ImagePaint, AClickMayRunANestedLoop)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    AddProbe(w.painter, 501, RECT{20, 20, 45, 45});
    ProbeButton* other = AddProbe(w.painter, 502, RECT{200, 20, 225, 45});
    w.appHook = [&] { w.painter.RemoveButton(501); };
    bool ran = false;
    w.clickHook = [&](CImageButton*) {
        // A modal dialog over the window; meanwhile the mouse moves on to
        // the other button and the clicked one goes away.
        ProbeWindow dialog;
        const HWND d = dialog.Open(450, 100, 100, 100);
        PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(210, 30));
        PostMessageW(h, WM_APP + 1, 0, 0);
        PostMessageW(d, WM_CLOSE, 0, 0);
        ran = dialog.RunModalLoop();
        return true;
    };
    Hover(h, 30, 30);
    ClickAt(h, 30, 30);
    EXPECT_TRUE(ran);
    EXPECT_EQ(w.clicks, std::vector<int>{501});
    EXPECT_EQ(w.painter.FindButton(501), nullptr);
    // The release point lies outside the button that is hot now.
    EXPECT_EQ(w.painter.hotButton, nullptr);
    EXPECT_EQ(w.hovers, (std::vector<int>{501, 502}));
    EXPECT_TRUE(IsWindow(h));
    UpdateWindow(h);

    // A nested loop that closes the window under the click.
    w.clickHook = [&](CImageButton*) {
        PostMessageW(h, WM_CLOSE, 0, 0);
        PumpUntil([&] { return !IsWindow(h); }, 2000);
        return true;
    };
    Hover(h, 210, 30);
    EXPECT_EQ(w.painter.hotButton, other);
    ClickAt(h, 210, 30);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(w.painter.ownerWindow, nullptr);
}

TEST_F(ImagePaint, APressWhoseHookSawTheReleaseTakesNoCapture)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    AddProbe(w.painter, 501, RECT{20, 20, 45, 45});
    w.downHook = [&](CImageButton*) {
        // The release arrives while the hook runs its own loop.
        PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        PumpPending();
        return true;
    };
    Hover(h, 30, 30);
    SendMouse(h, WM_LBUTTONDOWN, 30, 30, MK_LBUTTON);
    EXPECT_EQ(w.clicks, std::vector<int>{501});
    EXPECT_FALSE(w.painter.leftPressed);
    EXPECT_FALSE(w.painter.captured);
    EXPECT_NE(GetCapture(), h);
    DestroyWindow(h);
}

TEST_F(ImagePaint, AReleaseRunsThePaintersOwnClick)
{
    struct CountingPainter : CImagePaint {
        bool Click(CImageButton* button) override
        {
            clicked.push_back(button->id);
            return CImagePaint::Click(button);
        }
        std::vector<int> clicked;
    };
    CountingPainter painter;
    const HWND h = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 100, 60, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    painter.ownerWindow = h;
    painter.AddButton(7, RECT{10, 10, 30, 30}, 209, 210, 152, 209);

    painter.HandleMessage(WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
    painter.HandleMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
    painter.HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
    EXPECT_EQ(painter.clicked, std::vector<int>{7});
    painter.Reset();
    DestroyWindow(h);
}
