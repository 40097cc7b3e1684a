// ctest: desktop
// The pointer on its own, with a stand-in for its painter: what it asks
// the painter to repaint and to click, and what it lets go of.
#include "TestApp.h"

#include "ui/CButtonHooks.h"
#include "ui/CElementStore.h"
#include "ui/CImageButton.h"
#include "ui/CPointerInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class RecordingHost : public CPointerInput::Host {
public:
    HWND Window() const override { return window; }
    POINT CursorInClient() const override { return POINT{-1, -1}; }
    bool Click(CImageButton* button) override
    {
        clicks.push_back(button ? button->id : 0);
        return clickGoesOn;
    }
    void Repaint(const std::vector<RECT>& rects) override
    {
        repainted.insert(repainted.end(), rects.begin(), rects.end());
    }

    // Whether the repaints were the bounds of `buttons`, each at least once.
    bool RepaintedOnly(const std::vector<const CImageButton*>& buttons) const
    {
        auto bounds = [](const CImageButton* b) { return b->PaintBounds(); };
        for (const CImageButton* b : buttons) {
            const RECT r = bounds(b);
            if (std::none_of(repainted.begin(), repainted.end(),
                             [&](const RECT& x) { return EqualRect(&x, &r); }))
                return false;
        }
        return std::all_of(repainted.begin(), repainted.end(), [&](const RECT& x) {
            return std::any_of(buttons.begin(), buttons.end(), [&](const CImageButton* b) {
                const RECT r = bounds(b);
                return EqualRect(&x, &r) != FALSE;
            });
        });
    }

    HWND window = nullptr;
    bool clickGoesOn = true;
    std::vector<int> clicks;
    std::vector<RECT> repainted;
};

class PointerInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        SetCursorPos(1910, 1070);
        host.window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 100, 60, nullptr,
                                      nullptr, nullptr, nullptr);
        ASSERT_NE(host.window, nullptr);
        left = store.AddButton(host.window, 1, RECT{10, 10, 30, 30}, 209, 210, 152, 209);
        right = store.AddButton(host.window, 2, RECT{40, 10, 60, 30}, 209, 210, 152, 209);
    }
    void TearDown() override
    {
        if (GetCapture() == host.window)
            ReleaseCapture();
        DestroyWindow(host.window);
    }

    TestApp app;
    CElementStore store;
    CButtonHooks hooks;
    RecordingHost host;
    CPointerInput input{store, hooks, host};
    CImageButton* left = nullptr;
    CImageButton* right = nullptr;
};

} // namespace

TEST_F(PointerInput, EachLookChangeIsRepaintedAndTheClickGoesThroughThePainter)
{
    input.OnMouseMove(POINT{15, 15});
    ASSERT_EQ(input.hotButton, left);
    EXPECT_TRUE(host.RepaintedOnly({left}));

    host.repainted.clear();
    input.OnMouseMove(POINT{45, 15});
    ASSERT_EQ(input.hotButton, right);
    EXPECT_TRUE(host.RepaintedOnly({left, right}));

    host.repainted.clear();
    input.OnLeftDown(POINT{45, 15}, MAKELPARAM(45, 15));
    EXPECT_TRUE(host.RepaintedOnly({right}));
    EXPECT_EQ(GetCapture(), host.window);

    // A click the painter consumed consumes the release too.
    host.clickGoesOn = false;
    EXPECT_TRUE(input.OnLeftUp(POINT{46, 16}));
    EXPECT_EQ(host.clicks, std::vector<int>{2});
    EXPECT_NE(GetCapture(), host.window);

    host.clickGoesOn = true;
    input.OnLeftDown(POINT{46, 16}, MAKELPARAM(46, 16));
    host.repainted.clear();
    EXPECT_FALSE(input.OnLeftUp(POINT{46, 16}));
    EXPECT_EQ(host.clicks, (std::vector<int>{2, 2}));
    EXPECT_TRUE(host.RepaintedOnly({right}));
}

TEST_F(PointerInput, ResetLetsGoOfThePressAndForgetOfTheHotButton)
{
    input.OnMouseMove(POINT{45, 15});
    input.OnLeftDown(POINT{45, 15}, MAKELPARAM(45, 15));
    ASSERT_EQ(GetCapture(), host.window);

    input.Reset();
    EXPECT_NE(GetCapture(), host.window);
    EXPECT_FALSE(input.captured);
    EXPECT_FALSE(input.leftPressed);
    EXPECT_FALSE(input.tracking);
    EXPECT_EQ(input.hotButton, nullptr);
    EXPECT_EQ(input.mousePos.x, -1);
    input.OnLeftUp(POINT{45, 15});
    EXPECT_TRUE(host.clicks.empty());

    input.OnMouseMove(POINT{15, 15});
    ASSERT_EQ(input.hotButton, left);
    input.Forget(right);
    EXPECT_EQ(input.hotButton, left);
    input.Forget(left);
    EXPECT_EQ(input.hotButton, nullptr);
}

TEST_F(PointerInput, ADoubleClickMaximisesOnlyFromTheTopOfADraggableWindow)
{
    EXPECT_FALSE(input.TogglesMaximize(POINT{50, 10}));
    input.dragEnabled = true;
    EXPECT_TRUE(input.TogglesMaximize(POINT{50, 40}));
    EXPECT_TRUE(input.TogglesMaximize(POINT{50, -5}));
    EXPECT_FALSE(input.TogglesMaximize(POINT{50, 41}));
}
