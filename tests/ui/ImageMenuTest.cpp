// ctest: desktop
#include "DibCanvas.h"
#include "ImageProbe.h"
#include "Input.h"
#include "Screenshot.h"
#include "TestApp.h"

#include "ui/CImageButton.h"
#include "ui/CImageCtrl.h"
#include "ui/CImageItem.h"
#include "ui/CImageMenu.h"
#include "ui/CShadowCtrl.h"
#include "RectAssert.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Position of a top-level window in the z-order, 0 = top; -1 = not found.
int ZOrder(HWND h)
{
    int index = 0;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT), ++index) {
        if (w == h)
            return index;
    }
    return -1;
}

bool Visible(HWND h)
{
    return h && IsWindowVisible(h);
}

// Remembers where its row asked it to draw.
class RecordingButton : public CImageButton {
public:
    RecordingButton(HWND owner, int id, const RECT& rect) : CImageButton(owner, id, rect, L"") {}
    void Draw(Gdiplus::Graphics& graphics, POINT cursor, int pressed, const RECT* overrideRect) override
    {
        ++draws;
        drawnAt = overrideRect ? *overrideRect : RECT{0, 0, 0, 0};
        CImageButton::Draw(graphics, cursor, pressed, overrideRect);
    }
    int draws = 0;
    RECT drawnAt = {0, 0, 0, 0};
};

constexpr int kClearCache = 10015;
constexpr int kRefresh = 10016;
constexpr int kBossKey = 10017;

class Menu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        ASSERT_TRUE(SettleCursorAt(1900, 1060));
        // Stands in for the game window: light, behind the menu, active.
        owner.painter.SetBackColor(0xFFFAFAFA);
        ASSERT_TRUE(owner.Create(0, L"MenuTestOwner", L"owner", WS_POPUP | WS_VISIBLE, 100, 100,
                                 600, 400, nullptr));
        ASSERT_TRUE(GiveKeyboardFocus(owner.hwnd));
        menu.SetWindowClassName(L"velmor_menu");
        menu.painter.itemHeight = 24;
        menu.painter.SetHoverColor(0xFF9CD0FE);
        menu.painter.SetOnItemClick([this](CImageItem* row) { clicks.push_back(row->id); });
    }

    // The tools menu as the game window fills it.
    void FillToolsMenu()
    {
        const RECT caption = {1, 1, 94, 94};
        const std::pair<int, const wchar_t*> entries[] = {
            {kClearCache, L"清除缓存"}, {kRefresh, L"刷新"}, {kBossKey, L"老板键(Alt+D)"}};
        for (const auto& entry : entries) {
            menu.painter.AddItem(entry.first)
                ->AddButton(entry.first, caption, entry.second)
                ->SetTextColors(0xFF0C0C0C, 0xFF0C0C0C, 0xFF0C0C0C);
        }
    }

    HWND ShadowWindow() const { return menu.shadow ? menu.shadow->hwnd : nullptr; }

    // Shows the menu and waits until it is the active window.
    void Open(int x, int y)
    {
        menu.ShowAt(POINT{x, y});
        ASSERT_TRUE(PumpUntil([this] { return GetForegroundWindow() == menu.hwnd && Visible(menu.hwnd); }, 10000));
    }

    TestApp app;
    CImageCtrl owner;
    CImageMenu menu;
    std::vector<int> clicks;
};

TEST_F(Menu, FixedWidthAndVisibleRowHeightsWithAShadowThatFollows)
{
    menu.painter.AddItem(1);
    menu.painter.AddItem(2)->visible = false;
    menu.painter.AddItem(3);
    Open(200, 300);

    EXPECT_TRUE(RectIs(WindowRect(menu.hwnd), 200, 300, 296, 348));
    ASSERT_TRUE(Visible(ShadowWindow()));
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 194, 294, 302, 354));
    EXPECT_EQ(ShadowWindow(), GetWindow(menu.hwnd, GW_OWNER));

    wchar_t name[64] = {};
    GetClassNameW(menu.hwnd, name, 64);
    EXPECT_STREQ(L"velmor_menu", name);
    const LONG_PTR exStyle = GetWindowLongPtrW(menu.hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    // Raising the shadow raised its owned menu to the topmost band; the
    // shadow lies between the menu and the window that was active before.
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    const int menuZ = ZOrder(menu.hwnd);
    const int shadowZ = ZOrder(ShadowWindow());
    const int ownerZ = ZOrder(owner.hwnd);
    EXPECT_LT(menuZ, shadowZ);
    EXPECT_LT(shadowZ, ownerZ);

    // Every way the menu moves takes the shadow along.
    MoveWindow(menu.hwnd, 400, 120, 96, 48, TRUE);
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 394, 114, 502, 174));
    SetWindowPos(menu.hwnd, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 4, 14, 112, 74));
    menu.ShowAt(POINT{250, 260});
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 244, 254, 352, 314));

    // Reopened at the same point with another row: the shadow grows too.
    ShowWindow(menu.hwnd, SW_HIDE);
    menu.painter.AddItem(4);
    Open(250, 260);
    EXPECT_TRUE(RectIs(WindowRect(menu.hwnd), 250, 260, 346, 332));
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 244, 254, 352, 338));
}

TEST_F(Menu, ShowAtWithoutRowsMakesAnEmptyWindow)
{
    menu.ShowAt(POINT{300, 300});
    ASSERT_TRUE(IsWindow(menu.hwnd));
    RECT client = {};
    GetClientRect(menu.hwnd, &client);
    EXPECT_EQ(96, client.right);
    EXPECT_EQ(0, client.bottom);
}

TEST_F(Menu, AddingExistingIdsReturnsTheExistingObjects)
{
    CImageItem* row = menu.painter.AddItem(7);
    CImageButton* button = row->AddButton(7, RECT{1, 1, 94, 94}, L"first");
    EXPECT_EQ(row, menu.painter.AddItem(7));
    EXPECT_EQ(button, row->AddButton(7, RECT{0, 0, 10, 10}, L"second"));
    EXPECT_EQ(1u, menu.painter.items.size());
    EXPECT_EQ(1u, row->buttons.size());
    EXPECT_STREQ(L"first", button->text);
    EXPECT_TRUE(RectIs(button->rect, 1, 1, 94, 94));
    EXPECT_EQ(24, row->height);
}

TEST_F(Menu, CaptionButtonIsDrawnInsideItsRow)
{
    menu.painter.AddItem(1);
    CImageItem* row = menu.painter.AddItem(2);
    auto* caption = new RecordingButton(nullptr, 2, RECT{1, 1, 94, 94});
    row->buttons.emplace_back(caption);
    Open(300, 300);
    InvalidateRect(menu.hwnd, nullptr, TRUE);
    UpdateWindow(menu.hwnd);
    ASSERT_GT(caption->draws, 0);
    EXPECT_TRUE(RectIs(caption->drawnAt, 1, 25, 94, 48));

    // Right-anchored elements are clamped on the left at the row as well.
    const RECT row24 = {0, 24, 96, 48};
    EXPECT_TRUE(RectIs(CImageItem::PlaceInRow(RECT{0, 2, 120, 20}, 6, row24, true), 0, 26, 90, 44));
    EXPECT_TRUE(RectIs(CImageItem::PlaceInRow(RECT{0, 2, 120, 30}, 6, row24, false), -30, 26, 90, 54));
    EXPECT_TRUE(RectIs(CImageItem::PlaceInRow(RECT{1, 1, 94, 94}, -1, row24, false), 1, 25, 94, 118));
}

TEST_F(Menu, ClickOnARowReportsItAndAgainWhenAlreadySelected)
{
    FillToolsMenu();
    Open(300, 300);
    ASSERT_TRUE(ClickUntil(POINT{340, 300 + 24 + 10}, [this] { return clicks.size() == 1; }));
    EXPECT_EQ(kRefresh, clicks[0]);
    EXPECT_TRUE(menu.painter.FindItem(kRefresh)->selected);
    ASSERT_TRUE(ClickUntil(POINT{340, 300 + 24 + 12}, [this] { return clicks.size() == 2; }));
    EXPECT_EQ(kRefresh, clicks[1]);
    EXPECT_TRUE(Visible(menu.hwnd)) << "the menu leaves closing to its owner";
}

TEST_F(Menu, LosingTheActivationHidesMenuAndShadowWithoutAClick)
{
    FillToolsMenu();
    Open(300, 300);
    ASSERT_TRUE(Visible(ShadowWindow()));
    SetForegroundWindow(owner.hwnd);
    EXPECT_TRUE(PumpUntil([this] { return !Visible(menu.hwnd); }, 10000));
    EXPECT_FALSE(Visible(ShadowWindow()));
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(IsWindow(menu.hwnd)) << "hidden, not destroyed";

    // With autoHide off the menu stays (the deactivation is handled by the
    // time the owner is the active window).
    menu.autoHide = false;
    Open(300, 300);
    SetForegroundWindow(owner.hwnd);
    ASSERT_TRUE(PumpUntil([this] { return GetActiveWindow() == owner.hwnd; }, 10000));
    EXPECT_TRUE(Visible(menu.hwnd));
}

TEST_F(Menu, OwnerClosesTheMenuInItsCallbackAndReopensItAtOnce)
{
    menu.painter.SetOnItemClick([this](CImageItem* row) {
        clicks.push_back(row->id);
        ShowWindow(menu.hwnd, SW_HIDE);
        DestroyWindow(menu.hwnd);
    });
    FillToolsMenu();
    Open(300, 300);
    CShadowCtrl* shadowObject = menu.shadow.get();
    const HWND oldShadow = ShadowWindow();
    ClickAt(menu.hwnd, 40, 10);
    EXPECT_EQ(std::vector<int>({kClearCache}), clicks);
    EXPECT_FALSE(IsWindow(menu.hwnd));
    EXPECT_FALSE(IsWindowVisible(oldShadow));

    // Filled again and shown while the old shadow's close is still queued.
    // (Open dispatches what was queued before it returns.)
    FillToolsMenu();
    Open(320, 320);
    EXPECT_FALSE(IsWindow(oldShadow));
    EXPECT_EQ(shadowObject, menu.shadow.get()) << "the shadow object is reused";
    ASSERT_TRUE(Visible(menu.hwnd));
    EXPECT_TRUE(Visible(ShadowWindow()));
    EXPECT_TRUE(RectIs(WindowRect(ShadowWindow()), 314, 314, 422, 398));
    EXPECT_EQ(3u, menu.painter.items.size());
}

TEST_F(Menu, ToolsMenuLooksRight)
{
    FillToolsMenu();
    Open(300, 200);
    // Hover the middle entry with the real mouse.
    ASSERT_TRUE(HoverUntil(POINT{330, 200 + 24 + 12}, [this] { return menu.painter.hotItem != nullptr; }));
    EXPECT_EQ(kRefresh, menu.painter.hotItem->id);
    const ScreenCapture screen = CaptureScreenWhen(
        L"tools_menu", [](const ScreenCapture& s) { return ColorNear(s.Pixel(302, 227), 0xFF9CD0FE, 6); });
    ASSERT_TRUE(screen.ok());
    auto at = [&screen](int x, int y) { return screen.Pixel(x, y); };
    EXPECT_TRUE(ColorNear(at(302, 203), 0xFFEDF3FA, 6)) << std::hex << at(302, 203);
    EXPECT_TRUE(ColorNear(at(302, 227), 0xFF9CD0FE, 6)) << std::hex << at(302, 227);
    EXPECT_TRUE(ColorNear(at(302, 251), 0xFFEDF3FA, 6)) << std::hex << at(302, 251);
    // Each caption leaves dark ink in its row.
    for (int row = 0; row < 3; ++row) {
        int ink = 0;
        for (int y = 200 + 24 * row + 2; y < 200 + 24 * row + 23; ++y)
            for (int x = 301; x < 394; ++x)
                if (RedOf(at(x, y)) < 90)
                    ++ink;
        EXPECT_GT(ink, 20) << "row " << row;
    }
}

} // namespace
