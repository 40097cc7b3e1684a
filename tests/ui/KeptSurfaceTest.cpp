// ctest: desktop
// The layered painter's kept surface: a partial redraw must leave exactly
// the pixels a whole redraw would, and a push the system refused must not
// be built on.
#include "DibCanvas.h"
#include "ImageProbe.h"
#include "RectAssert.h"
#include "TestApp.h"

#include "ui/CImagePaint.h"

#include <gtest/gtest.h>

namespace {

// Pushes answered FALSE while set (after being recorded).
bool refusing = false;

BOOL WINAPI RefusingPush(HWND window, HDC screen, POINT* destination, SIZE* size, HDC source,
                         POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    const BOOL pushed =
        LayeredCapture::Hook(window, screen, destination, size, source, sourcePoint, key, blend, flags);
    return refusing ? FALSE : pushed;
}

BOOL WINAPI RefusingPushIndirect(HWND window, const UPDATELAYEREDWINDOWINFO* info)
{
    const BOOL pushed = LayeredCapture::HookIndirect(window, info);
    return refusing ? FALSE : pushed;
}

size_t Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        count += a[i] == b[i] ? 0 : 1;
    return count;
}

class KeptSurface : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        SetCursorPos(1910, 1070);
        LayeredCapture::Last() = LayeredCapture();
        refusing = false;
    }

    HWND Open(ProbeWindow& w)
    {
        const HWND h = w.Open(100, 100, 320, 120);
        w.painter.updateLayeredWindow = &RefusingPush;
        w.painter.updateLayeredWindowIndirect = &RefusingPushIndirect;
        w.painter.EnableLayered();
        return h;
    }

    // What the last push showed differs nowhere from a whole redraw.
    static ::testing::AssertionResult SameAsWholeRedraw(CImagePaint& painter)
    {
        const std::vector<uint32_t> shown = LayeredCapture::Last().pixels;
        painter.UpdateLayered();
        const size_t differing = Differences(shown, LayeredCapture::Last().pixels);
        if (differing == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << differing << " pixels differ from a whole redraw";
    }

    TestApp app;
};

} // namespace

TEST_F(KeptSurface, APointerChangeRedrawsEveryButtonWhoseLookChanged)
{
    ProbeWindow w;
    const HWND h = Open(w);
    ASSERT_NE(h, nullptr);
    const LayeredCapture& shot = LayeredCapture::Last();
    // Two overlapping buttons; the first in the list is the hot one.
    w.painter.AddButton(501, RECT{20, 20, 45, 45}, 209, 210, 152, 209);
    w.painter.AddButton(502, RECT{35, 35, 60, 60}, 209, 210, 152, 209);
    // A picture drawn 40 px right of its button.
    CImageButton* offset = w.painter.AddButton(503, RECT{120, 20, 145, 45}, 209, 210, 152, 209);
    offset->imageOffsetX = 40;
    offset->imageOffsetY = 5;
    w.painter.UpdateLayered();

    {
        SCOPED_TRACE("into the overlap");
        Hover(h, 40, 40);
        EXPECT_EQ(w.painter.hotButton, w.painter.FindButton(501));
        EXPECT_TRUE(RectIs(shot.dirty, 20, 20, 60, 60));
        EXPECT_TRUE(SameAsWholeRedraw(w.painter));
    }
    {
        SCOPED_TRACE("out of the neighbour, still on the hot button");
        const int calls = shot.calls;
        Hover(h, 25, 25);
        EXPECT_EQ(w.painter.hotButton, w.painter.FindButton(501));
        ASSERT_EQ(shot.calls, calls + 1);
        EXPECT_TRUE(RectIs(shot.dirty, 35, 35, 60, 60));
        EXPECT_TRUE(SameAsWholeRedraw(w.painter));
    }
    {
        SCOPED_TRACE("onto the button whose picture lies outside it");
        Hover(h, 130, 30);
        EXPECT_EQ(w.painter.hotButton, offset);
        RECT expected = {20, 20, 45, 45};
        const RECT picture = {160, 25, 185, 50};
        UnionRect(&expected, &expected, &offset->rect);
        UnionRect(&expected, &expected, &picture);
        EXPECT_TRUE(RectIs(shot.dirty, expected));
        EXPECT_TRUE(SameAsWholeRedraw(w.painter));
        SendMessageW(h, WM_MOUSELEAVE, 0, 0);
        EXPECT_TRUE(SameAsWholeRedraw(w.painter));
    }
    DestroyWindow(h);
}

TEST_F(KeptSurface, ElementChangesMakeTheNextRenderWhole)
{
    ProbeWindow w;
    const HWND h = Open(w);
    ASSERT_NE(h, nullptr);
    const LayeredCapture& shot = LayeredCapture::Last();
    const RECT whole = {0, 0, 320, 120};
    w.painter.AddButton(501, RECT{20, 20, 45, 45}, 209, 210, 152, 209);
    w.painter.AddButton(502, RECT{35, 30, 60, 55}, 209, 210, 152, 209);
    CImageButton* distant = w.painter.AddButton(503, RECT{200, 20, 225, 45}, 209, 210, 152, 209);
    w.painter.UpdateLayered();

    const struct {
        const char* change;
        std::function<void()> apply;
    } changes[] = {
        {"removed", [&] { w.painter.RemoveButton(502); }},
        {"added", [&] { w.painter.AddButton(504, RECT{30, 50, 55, 75}, 209, 210, 152, 209); }},
        {"hidden", [&] { distant->visible = false; }},
        {"new pictures", [&] { w.painter.FindButton(504)->SetImages(210, 209, 152, 210); }},
        {"text", [&] { distant->visible = true; distant->SetText(L"Lumarion"); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.change);
        Hover(h, 25, 25);
        c.apply();
        // A pointer change after it: the one render redraws everything.
        SendMessageW(h, WM_MOUSELEAVE, 0, 0);
        EXPECT_TRUE(RectIs(shot.dirty, whole));
        EXPECT_TRUE(SameAsWholeRedraw(w.painter));
    }
    DestroyWindow(h);
}

TEST_F(KeptSurface, ARefusedPushDropsTheSurface)
{
    ProbeWindow w;
    const HWND h = Open(w);
    ASSERT_NE(h, nullptr);
    const LayeredCapture& shot = LayeredCapture::Last();
    w.painter.AddButton(501, RECT{20, 20, 45, 45}, 209, 210, 152, 209);
    w.painter.AddButton(502, RECT{200, 20, 225, 45}, 209, 210, 152, 209);
    w.painter.UpdateLayered();
    ASSERT_TRUE(w.painter.OnScreen());

    refusing = true;
    Hover(h, 25, 25);
    EXPECT_FALSE(w.painter.OnScreen());
    refusing = false;
    // What the screen holds is unknown: the next push is the whole picture.
    const int calls = shot.calls;
    Hover(h, 210, 30);
    ASSERT_GT(shot.calls, calls);
    EXPECT_TRUE(RectIs(shot.dirty, 0, 0, 320, 120));
    EXPECT_TRUE(w.painter.OnScreen());
    EXPECT_TRUE(SameAsWholeRedraw(w.painter));
    DestroyWindow(h);
}
