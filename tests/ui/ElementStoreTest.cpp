// The element store on its own: add-or-replace by id in draw order, the
// buttons that may become hot or show the hand, and the anchors.
#include "RectAssert.h"
#include "TestApp.h"

#include "ui/CElementStore.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"

#include <gtest/gtest.h>

namespace {

const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1010));
const HWND kOtherOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x2020));

// Counts the moves that reach SetRect, which a button class may extend.
class MoveCountingButton : public CImageButton {
public:
    MoveCountingButton(int id, const RECT& rect) : CImageButton(kOwner, id, rect, L"") {}
    void SetRect(const RECT* newRect) override
    {
        ++moves;
        CImageButton::SetRect(newRect);
    }
    int moves = 0;
};

class ElementStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.ok()); }

    CImageButton* Add(int id, const RECT& rect)
    {
        return store.AddButton(kOwner, id, rect, 209, 210, 152, 209);
    }

    TestApp app;
    CElementStore store;
};

} // namespace

TEST_F(ElementStore, AddingAnIdAgainChangesTheElementInItsPlace)
{
    CImageButton* first = Add(1, RECT{0, 0, 25, 25});
    CImageButton* second = Add(2, RECT{30, 0, 55, 25});
    first->SetText(L"caption");
    Gdiplus::Image* oldPicture = first->normalImage.get();

    CImageButton* again =
        store.AddButton(kOtherOwner, 1, RECT{5, 5, 30, 30}, 211, 212, 156, 211);
    EXPECT_EQ(again, first);
    ASSERT_EQ(store.buttons.size(), 2u);
    EXPECT_EQ(store.buttons[0].get(), first);
    EXPECT_EQ(store.buttons[1].get(), second);
    EXPECT_TRUE(RectIs(first->rect, 5, 5, 30, 30));
    EXPECT_STREQ(first->text, L"");
    EXPECT_NE(first->normalImage.get(), oldPicture);
    // The window a button reports to is the one it was made for.
    EXPECT_EQ(first->ownerWindow, kOwner);
    EXPECT_EQ(store.AddButton(kOtherOwner, 3, RECT{}, 209, 0, 0, 0)->ownerWindow, kOtherOwner);

    CImageStatic* strip = store.AddImage(RECT{0, 0, 100, 25}, 217, 7, false);
    CImageStatic* emblem = store.AddImage(RECT{0, 0, 16, 16}, 137, 8, false);
    ASSERT_NE(strip->image, nullptr);
    EXPECT_EQ(store.AddImage(RECT{1, 2, 3, 4}, 0, 7, true), strip);
    ASSERT_EQ(store.images.size(), 2u);
    EXPECT_EQ(store.images[0].get(), strip);
    EXPECT_EQ(store.images[1].get(), emblem);
    EXPECT_TRUE(RectIs(strip->rect, 1, 2, 3, 4));
    EXPECT_TRUE(strip->smooth);
    EXPECT_EQ(strip->image, nullptr);
}

TEST_F(ElementStore, RemovingLeavesTheOthersInOrder)
{
    CImageButton* a = Add(1, RECT{0, 0, 10, 10});
    Add(2, RECT{0, 0, 10, 10});
    CImageButton* c = Add(3, RECT{0, 0, 10, 10});
    CImageButton stranger(kOwner, 1, RECT{0, 0, 10, 10}, L"");

    EXPECT_TRUE(store.RemoveButton(2));
    EXPECT_FALSE(store.RemoveButton(2));
    EXPECT_EQ(store.FindButton(2), nullptr);
    ASSERT_EQ(store.buttons.size(), 2u);
    EXPECT_EQ(store.buttons[0].get(), a);
    EXPECT_EQ(store.buttons[1].get(), c);
    // Held means this very object, not one with the same id.
    EXPECT_TRUE(store.Holds(a));
    EXPECT_FALSE(store.Holds(&stranger));
    EXPECT_FALSE(store.Holds(nullptr));

    store.AddImage(RECT{0, 0, 16, 16}, 137, 8, false);
    EXPECT_FALSE(store.RemoveImage(9));
    EXPECT_TRUE(store.RemoveImage(8));
    EXPECT_EQ(store.FindImage(8), nullptr);

    store.Clear();
    EXPECT_TRUE(store.buttons.empty());
    EXPECT_TRUE(store.images.empty());
}

TEST_F(ElementStore, DecorationAndHiddenButtonsNeverBecomeHot)
{
    // Stacked at one point, earliest first: the first that may be hot wins.
    Add(100, RECT{0, 0, 20, 20});
    Add(250, RECT{0, 0, 20, 20});
    CImageButton* hidden = Add(5, RECT{0, 0, 20, 20});
    hidden->visible = false;
    CImageButton* below = Add(99, RECT{0, 0, 20, 20});
    CImageButton* last = Add(251, RECT{0, 0, 20, 20});

    EXPECT_EQ(store.HotButtonAt(POINT{10, 10}), below);
    below->visible = false;
    EXPECT_EQ(store.HotButtonAt(POINT{10, 10}), last);
    EXPECT_EQ(store.HotButtonAt(POINT{20, 10}), nullptr);
    hidden->visible = true;
    EXPECT_EQ(store.HotButtonAt(POINT{10, 10}), hidden);
}

TEST_F(ElementStore, OnlyVisibleLinksShowTheHand)
{
    CImageButton* push = Add(1, RECT{0, 0, 20, 20});
    CImageButton* link = Add(2, RECT{10, 0, 30, 20});
    link->kind = ButtonKind::Link;

    EXPECT_EQ(store.LinkAt(POINT{5, 5}), nullptr);
    EXPECT_EQ(store.LinkAt(POINT{15, 5}), link);
    link->visible = false;
    EXPECT_EQ(store.LinkAt(POINT{15, 5}), nullptr);
    push->kind = ButtonKind::Link;
    EXPECT_EQ(store.LinkAt(POINT{15, 5}), push);
}

TEST_F(ElementStore, AnchorsKeepTheDistanceToTheRightAndBottomEdges)
{
    auto* close = new MoveCountingButton(10, RECT{270, 0, 295, 25});
    close->rightAnchor = 5;
    store.buttons.emplace_back(close);
    CImageButton* foot = Add(11, RECT{10, 170, 35, 195});
    foot->bottomAnchor = 5;
    CImageButton* still = Add(12, RECT{10, 30, 35, 55});
    CImageStatic* strip = store.AddImage(RECT{0, 0, 300, 25}, 217, 1, true);
    strip->rightAnchor = 0;
    strip->fixedLeft = 0;
    CImageStatic* emblem = store.AddImage(RECT{280, 5, 296, 21}, 137, 2, false);
    emblem->rightAnchor = 4;
    CImageStatic* side = store.AddImage(RECT{290, 40, 300, 200}, 137, 3, false);
    side->bottomAnchor = 0;
    side->fixedTop = 40;

    store.Relayout(300, 200);
    EXPECT_EQ(close->moves, 0) << "in place already: no move";

    store.Relayout(500, 260);
    EXPECT_EQ(close->moves, 1);
    EXPECT_TRUE(RectIs(close->rect, 470, 0, 495, 25));
    EXPECT_TRUE(RectIs(foot->rect, 10, 230, 35, 255));
    EXPECT_TRUE(RectIs(still->rect, 10, 30, 35, 55));
    // A fixed edge stretches the image; without one it moves.
    EXPECT_TRUE(RectIs(strip->rect, 0, 0, 500, 25));
    EXPECT_TRUE(RectIs(emblem->rect, 480, 5, 496, 21));
    EXPECT_TRUE(RectIs(side->rect, 290, 40, 300, 260));

    store.Relayout(250, 150);
    EXPECT_TRUE(RectIs(close->rect, 220, 0, 245, 25));
    EXPECT_TRUE(RectIs(foot->rect, 10, 120, 35, 145));
    EXPECT_TRUE(RectIs(strip->rect, 0, 0, 250, 25));
    EXPECT_TRUE(RectIs(emblem->rect, 230, 5, 246, 21));
    EXPECT_TRUE(RectIs(side->rect, 290, 40, 300, 150));
}
