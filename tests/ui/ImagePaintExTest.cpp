// ctest: desktop
#include "ImageProbe.h"
#include "TestApp.h"

#include "ui/CImageCtrlEx.h"
#include "ui/CImageItem.h"
#include "RectAssert.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool HasUpdate(HWND h)
{
    RECT r;
    return GetUpdateRect(h, &r, FALSE) != FALSE;
}

// A list window with four rows of 24 pixels: 1, 2 (invisible), 3, 4.
class PaintEx : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        // Keep the real cursor away from the windows: only the messages the
        // tests send reach them.
        SetCursorPos(1900, 1060);
        list.painter.SetOnItemClick([this](CImageItem* row) { clicks.push_back(row->id); });
        ASSERT_TRUE(list.Create(0, nullptr, nullptr, WS_POPUP, 40, 40, 96, 96, nullptr));
        for (int id : {1, 2, 3, 4})
            list.painter.AddItem(id);
        list.painter.FindItem(2)->visible = false;
        list.painter.Relayout(nullptr);
        ShowWindow(list.hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(list.hwnd);
    }

    CImageItem* Row(int id) { return list.painter.FindItem(id); }
    HWND h() const { return list.hwnd; }

    TestApp app;
    CImageCtrlEx list;
    std::vector<int> clicks;
};

TEST_F(PaintEx, VisibleRowsStackFromTheTop)
{
    EXPECT_TRUE(RectIs(list.painter.GetItemRect(1), 0, 0, 96, 24));
    EXPECT_TRUE(RectIs(list.painter.GetItemRect(2), 0, 0, 96, 0)) << "invisible row";
    EXPECT_TRUE(RectIs(list.painter.GetItemRect(3), 0, 24, 96, 48));
    EXPECT_TRUE(RectIs(list.painter.GetItemRect(4), 0, 48, 96, 72));
    EXPECT_TRUE(RectIs(Row(4)->rect, 0, 48, 96, 72));
    EXPECT_TRUE(RectIs(list.painter.GetItemRect(99), 0, 0, 96, 0));

    // Adding an existing id returns that row and adds nothing.
    EXPECT_EQ(Row(3), list.painter.AddItem(3));
    EXPECT_EQ(4u, list.painter.items.size());

    ClickAt(h(), 50, 50);
    ClickAt(h(), 50, 80);  // below the last row
    EXPECT_EQ(std::vector<int>({4}), clicks);
}

TEST_F(PaintEx, HotRowFollowsTheMouseOneStepAtATime)
{
    Hover(h(), 10, 10);
    EXPECT_EQ(Row(1), list.painter.hotItem);
    EXPECT_TRUE(Row(1)->hover);
    EXPECT_TRUE(list.painter.tracking);

    // Straight into the next row: the first move only leaves the old one.
    Hover(h(), 10, 30);
    EXPECT_FALSE(Row(1)->hover);
    EXPECT_EQ(nullptr, list.painter.hotItem);
    EXPECT_FALSE(Row(3)->hover);
    Hover(h(), 10, 31);
    EXPECT_EQ(Row(3), list.painter.hotItem);
    EXPECT_TRUE(Row(3)->hover);

    ValidateRect(h(), nullptr);
    SendMessageW(h(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(Row(3)->hover);
    EXPECT_EQ(nullptr, list.painter.hotItem);
    EXPECT_FALSE(list.painter.tracking);
    EXPECT_EQ(-1, list.painter.mousePos.x);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(h(), &update, FALSE));
    EXPECT_TRUE(RectIs(update, 0, 24, 96, 48)) << "only the row that was hot is repainted";
}

TEST_F(PaintEx, ClickSelectsTheRowAndARepeatedClickReportsAgainWithoutRepaint)
{
    ValidateRect(h(), nullptr);
    ClickAt(h(), 20, 30);
    EXPECT_EQ(std::vector<int>({3}), clicks);
    EXPECT_TRUE(Row(3)->selected);
    EXPECT_EQ(Row(3), list.painter.lastClickedItem);
    EXPECT_TRUE(HasUpdate(h()));

    ValidateRect(h(), nullptr);
    ClickAt(h(), 20, 30);
    EXPECT_EQ(std::vector<int>({3, 3}), clicks);
    EXPECT_TRUE(Row(3)->selected);
    EXPECT_FALSE(HasUpdate(h()));

    ClickAt(h(), 20, 5);
    EXPECT_EQ(std::vector<int>({3, 3, 1}), clicks);
    EXPECT_TRUE(Row(1)->selected);
    EXPECT_FALSE(Row(3)->selected);
}

TEST_F(PaintEx, HidingClearsHoverAndSelectionButKeepsTheLastClickedRow)
{
    Hover(h(), 10, 60);
    ClickAt(h(), 10, 60);
    ASSERT_TRUE(Row(4)->hover);
    ASSERT_TRUE(Row(4)->selected);
    ShowWindow(h(), SW_HIDE);
    for (const auto& row : list.painter.items) {
        EXPECT_FALSE(row->hover) << row->id;
        EXPECT_FALSE(row->selected) << row->id;
        EXPECT_EQ(nullptr, row->hotButton) << row->id;
    }
    EXPECT_EQ(-1, list.painter.mousePos.x);
    EXPECT_EQ(Row(4), list.painter.lastClickedItem);
}

TEST_F(PaintEx, DestroyingTheWindowInTheClickCallbackRepaintsNothingElse)
{
    // A window of this thread that must not be invalidated by the click.
    CWindowCtrl witness;
    ASSERT_TRUE(witness.Create(0, L"PaintExWitness", nullptr, WS_POPUP | WS_VISIBLE, 300, 40,
                               80, 80, nullptr));
    UpdateWindow(witness.hwnd);
    ValidateRect(witness.hwnd, nullptr);
    ASSERT_FALSE(HasUpdate(witness.hwnd));

    list.painter.SetOnItemClick([this](CImageItem* row) {
        clicks.push_back(row->id);
        ShowWindow(list.hwnd, SW_HIDE);
        DestroyWindow(list.hwnd);
    });
    const HWND window = h();
    ClickAt(window, 20, 30);
    EXPECT_EQ(std::vector<int>({3}), clicks);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(list.painter.items.empty());
    EXPECT_EQ(nullptr, list.painter.ownerWindow);
    EXPECT_FALSE(HasUpdate(witness.hwnd)) << "the click repainted other windows";
}

TEST(PaintExBrushes, CreatedAtCreationOnlyForOpaqueColoursButAlwaysBySetHoverColor)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    CImageCtrlEx list;
    list.painter.selectedColor = 0xFF112233;
    ASSERT_TRUE(list.Create(0, nullptr, nullptr, WS_POPUP, 0, 0, 96, 24, nullptr));
    ASSERT_TRUE(list.painter.backBrush);
    Gdiplus::Color color;
    list.painter.backBrush->GetColor(&color);
    EXPECT_EQ(0xFFFAFAFAu, color.GetValue());
    EXPECT_FALSE(list.painter.hoverBrush) << "hover colour 0 makes no brush";
    ASSERT_TRUE(list.painter.selectedBrush);

    list.painter.SetHoverColor(0x009CD0FE);
    ASSERT_TRUE(list.painter.hoverBrush);
    list.painter.hoverBrush->GetColor(&color);
    EXPECT_EQ(0x009CD0FEu, color.GetValue());

    DestroyWindow(list.hwnd);
    EXPECT_FALSE(list.painter.backBrush);
    EXPECT_FALSE(list.painter.hoverBrush);
    EXPECT_FALSE(list.painter.selectedBrush);
}

TEST(PaintExRows, RowInsideAParentIsVisibleOnlyWithinItsClientArea)
{
    TestApp app;
    ASSERT_TRUE(app.ok());
    CWindowCtrl parent;
    ASSERT_TRUE(parent.Create(0, L"PaintExParent", nullptr, WS_POPUP, 0, 0, 200, 100, nullptr));
    CImageCtrlEx list;
    ASSERT_TRUE(list.Create(0, nullptr, nullptr, WS_CHILD | WS_VISIBLE, 0, 40, 100, 200,
                            parent.hwnd));
    CImagePaintEx& painter = list.painter;
    EXPECT_TRUE(painter.IsRowVisible(0, 24));
    EXPECT_TRUE(painter.IsRowVisible(60, 24)) << "top exactly on the parent's bottom edge";
    EXPECT_FALSE(painter.IsRowVisible(61, 24));
    EXPECT_FALSE(painter.IsRowVisible(-41, 24)) << "above the parent's client area";
    EXPECT_TRUE(painter.IsRowVisible(-40, 24)) << "top on the parent's top edge";
    DestroyWindow(parent.hwnd);
}

} // namespace
