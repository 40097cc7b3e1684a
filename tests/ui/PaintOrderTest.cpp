// The draw order on its own: what is drawn in which order, where a first
// picture may be copied in, and what the look digest notices.
#include "DibCanvas.h"
#include "TestApp.h"

#include "ui/CButtonHooks.h"
#include "ui/CElementStore.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "ui/CPaintOrder.h"
#include "ui/CPointerInput.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr int kBackgroundHook = -1;
constexpr int kForegroundHook = -2;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kRed = 0xFFFF0000;

class NoWindow : public CPointerInput::Host {
public:
    HWND Window() const override { return nullptr; }
    POINT CursorInClient() const override { return POINT{-1, -1}; }
    bool Click(CImageButton*) override { return true; }
    void Repaint(const std::vector<RECT>&) override {}
};

struct Drawn {
    int id;
    POINT cursor = {-1, -1};
    int pressed = 0;
};

// Fills its rectangle green and notes what it was drawn with.
class LoggingButton : public CImageButton {
public:
    LoggingButton(std::vector<Drawn>& log, int id, const RECT& rect)
        : CImageButton(nullptr, id, rect, L""), log(log)
    {
    }
    void Draw(Gdiplus::Graphics& graphics, POINT cursor, int pressed, const RECT*) override
    {
        log.push_back(Drawn{id, cursor, pressed});
        Gdiplus::SolidBrush green{Gdiplus::Color(kGreen)};
        graphics.FillRectangle(&green, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                               static_cast<INT>(rect.right - rect.left),
                               static_cast<INT>(rect.bottom - rect.top));
    }

private:
    std::vector<Drawn>& log;
};

class PaintOrder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        ASSERT_TRUE(canvas.ok());
        order.onPaintBackground = [this](Gdiplus::Graphics&) { log.push_back(Drawn{kBackgroundHook}); };
        order.onPaintForeground = [this](Gdiplus::Graphics&) { log.push_back(Drawn{kForegroundHook}); };
    }

    LoggingButton* AddLogged(int id, const RECT& rect)
    {
        auto* button = new LoggingButton(log, id, rect);
        store.buttons.emplace_back(button);
        return button;
    }

    std::vector<int> DrawnIds() const
    {
        std::vector<int> ids;
        for (const Drawn& d : log)
            ids.push_back(d.id);
        return ids;
    }

    TestApp app;
    CElementStore store;
    CButtonHooks hooks;
    NoWindow host;
    CPointerInput pointer{store, hooks, host};
    CPaintOrder order{store, pointer};
    DibCanvas canvas{60, 40};
    std::vector<Drawn> log;
};

} // namespace

TEST_F(PaintOrder, BackgroundImagesButtonsHeldSubdividedButtonsThenForeground)
{
    order.SetBackColor(kBlue);
    CImageStatic* framed = store.AddImage(RECT{0, 0, 16, 16}, 0, 1, false);
    framed->backgroundBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(kRed));
    LoggingButton* held = AddLogged(1, RECT{0, 0, 10, 10});
    held->kind = ButtonKind::Parts;
    held->forcePressed = true;
    AddLogged(2, RECT{5, 0, 15, 10});
    AddLogged(3, RECT{20, 0, 30, 10})->kind = ButtonKind::Parts;

    order.DrawAll(canvas.graphics(), RECT{0, 0, 60, 40}, nullptr, false);
    EXPECT_EQ(DrawnIds(), (std::vector<int>{kBackgroundHook, 1, 2, 3, 1, kForegroundHook}));
    EXPECT_EQ(canvas.Pixel(40, 30), kBlue);
    EXPECT_EQ(canvas.Pixel(12, 12), kRed);
    EXPECT_EQ(canvas.Pixel(5, 5), kGreen);

    // Only what meets the update area is drawn; the hooks always run.
    log.clear();
    const RECT nearSecond = {12, 2, 14, 4};
    order.DrawAll(canvas.graphics(), RECT{0, 0, 60, 40}, &nearSecond, false);
    EXPECT_EQ(DrawnIds(), (std::vector<int>{kBackgroundHook, 2, kForegroundHook}));
    log.clear();
    const RECT nearHeld = {1, 1, 3, 3};
    order.DrawAll(canvas.graphics(), RECT{0, 0, 60, 40}, &nearHeld, false);
    EXPECT_EQ(DrawnIds(), (std::vector<int>{kBackgroundHook, 1, 1, kForegroundHook}));
}

TEST_F(PaintOrder, ButtonsSeeThePointerAsItIsWhenTheyAreDrawn)
{
    AddLogged(1, RECT{0, 0, 10, 10});
    pointer.mousePos = POINT{3, 4};
    order.onPaintBackground = [this](Gdiplus::Graphics&) {
        pointer.mousePos = POINT{7, 8};
        pointer.leftPressed = true;
    };
    order.DrawAll(canvas.graphics(), RECT{0, 0, 60, 40}, nullptr, false);
    ASSERT_EQ(DrawnIds(), (std::vector<int>{1, kForegroundHook}));
    EXPECT_EQ(log[0].cursor.x, 7);
    EXPECT_EQ(log[0].cursor.y, 8);
    EXPECT_EQ(log[0].pressed, 1);
}

TEST_F(PaintOrder, OnlyABarePictureAtItsOwnSizeIsCopiedOverTheArea)
{
    order.onPaintBackground = nullptr;
    CImageStatic* picture = store.AddImage(RECT{0, 0, 1, 1}, 137, 1, false);
    ASSERT_NE(picture->image, nullptr);
    const RECT own = {0, 0, static_cast<LONG>(picture->image->GetWidth()),
                      static_cast<LONG>(picture->image->GetHeight())};
    picture->rect = own;
    const RECT inside = {2, 2, own.right - 2, own.bottom - 2};
    const RECT across = {2, 2, own.right + 2, own.bottom - 2};
    const RECT beyond = {own.right + 1, 0, own.right + 5, 4};

    EXPECT_TRUE(order.CopiedOver(inside));
    EXPECT_TRUE(order.CopiedOver(own));
    EXPECT_FALSE(order.CopiedOver(across));
    EXPECT_FALSE(order.CopiedOver(beyond));

    // Anything drawn first, or drawn differently, leaves old pixels showing.
    const std::vector<std::pair<const char*, std::function<void(bool)>>> spoilers = {
        {"smoothed", [&](bool on) { picture->smooth = on; }},
        {"captioned", [&](bool on) { picture->SetText(on ? L"x" : L""); }},
        {"stretched", [&](bool on) { picture->rect.right = own.right + (on ? 1 : 0); }},
        {"filled", [&](bool on) { on ? order.SetBackColor(kBlue) : order.backBrush.reset(); }},
        {"hooked", [&](bool on) {
             order.onPaintBackground = on ? [](Gdiplus::Graphics&) {} : CPaintOrder::PaintCallback();
         }},
        {"under another image", [&](bool on) {
             if (on)
                 store.images.insert(store.images.begin(), std::make_unique<CImageStatic>(2, own, false));
             else
                 store.images.erase(store.images.begin());
         }},
    };
    for (const auto& spoiler : spoilers) {
        spoiler.second(true);
        EXPECT_FALSE(order.CopiedOver(inside)) << spoiler.first;
        spoiler.second(false);
        EXPECT_TRUE(order.CopiedOver(inside)) << "no longer " << spoiler.first;
    }
}

TEST_F(PaintOrder, TheLookFollowsTheElementsButNotThePointer)
{
    CImageStatic* image = store.AddImage(RECT{0, 0, 16, 16}, 137, 1, false);
    CImageButton* button = store.AddButton(nullptr, 1, RECT{20, 0, 40, 20}, 209, 210, 152, 209);
    const unsigned long long before = order.Look();

    pointer.mousePos = POINT{25, 5};
    pointer.leftPressed = true;
    EXPECT_EQ(order.Look(), before);

    const std::vector<std::pair<const char*, std::function<void(bool)>>> changes = {
        {"button moved", [&](bool on) { button->rect.left = on ? 21 : 20; }},
        {"button hidden", [&](bool on) { button->visible = !on; }},
        {"button captioned", [&](bool on) { button->SetText(on ? L"x" : L""); }},
        {"button held", [&](bool on) { button->forcePressed = on; }},
        {"image moved", [&](bool on) { image->rect.top = on ? 1 : 0; }},
        {"image hidden", [&](bool on) { image->visible = !on; }},
        {"no background", [&](bool on) { order.fillBackground = !on; }},
    };
    for (const auto& change : changes) {
        change.second(true);
        EXPECT_NE(order.Look(), before) << change.first;
        change.second(false);
        EXPECT_EQ(order.Look(), before) << change.first << " undone";
    }
}
