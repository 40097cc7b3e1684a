#include "ui/CImageItem.h"

#include "ui/ElementLookup.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "ui/CWindowCtrl.h"

#include <algorithm>

CImageItem::CImageItem(HWND ownerWindow, int id, int height)
    : ownerWindow(ownerWindow), id(id), height(height)
{
}

CImageItem::~CImageItem()
{
    for (auto& child : childWindows) {
        if (child.window && child.window->hwnd && IsWindow(child.window->hwnd))
            DestroyWindow(child.window->hwnd);
    }
}

RECT CImageItem::PlaceInRow(const RECT& r, int rightAnchor, const RECT& row, bool clamp)
{
    RECT placed;
    placed.top = row.top + r.top;
    placed.bottom = row.top + r.bottom;
    if (rightAnchor == -1) {
        placed.left = r.left;
        placed.right = r.right;
    } else {
        const int anchoredRight = row.right - rightAnchor;
        placed.right = anchoredRight;
        placed.left = r.left + anchoredRight - r.right;
    }
    if (clamp) {
        placed.bottom = std::min(placed.bottom, row.bottom);
        placed.right = std::min(placed.right, row.right);
        if (rightAnchor != -1)
            placed.left = std::max(row.left, placed.left);
    }
    return placed;
}

void CImageItem::Draw(Gdiplus::Graphics& graphics, const RECT* rowRect, Gdiplus::Brush* fill)
{
    if (!rowRect)
        return;
    const RECT& row = *rowRect;
    if (fill)
        graphics.FillRectangle(fill, static_cast<INT>(row.left), static_cast<INT>(row.top),
                               static_cast<INT>(row.right - row.left),
                               static_cast<INT>(row.bottom - row.top));

    // Buttons show Hover under the cursor but never Pressed.
    for (const auto& button : buttons) {
        if (!button->visible)
            continue;
        const RECT placed = PlaceInRow(button->rect, button->rightAnchor, row, true);
        button->Draw(graphics, lastPoint, 0, &placed);
    }
    for (const auto& image : images) {
        if (!image->image)
            continue;
        const RECT placed = PlaceInRow(image->rect, image->rightAnchor, row, true);
        image->Draw(graphics, &placed);
    }
    const RECT atOwnPlace = {0, 0, 0, 0};
    for (CImageButton* overlay : overlays) {
        if (overlay && overlay->visible)
            overlay->Draw(graphics, lastPoint, 0, &atOwnPlace);
    }
}

bool CImageItem::OnMouseMove(POINT point, const RECT& row)
{
    lastPoint = point;
    for (const auto& button : buttons) {
        if (!button->visible)
            continue;
        const RECT placed = PlaceInRow(button->rect, button->rightAnchor, row, false);
        const bool inside = PtInRect(&placed, point) != FALSE;
        if (button.get() == hotButton) {
            if (inside)
                return false;
            hotButton = nullptr;
            return true;
        }
        if (inside) {
            hotButton = button.get();
            return true;
        }
    }
    return false;
}

void CImageItem::OnMouseLeave()
{
    lastPoint = POINT{-1, 0};
    hotButton = nullptr;
}

void CImageItem::Layout(const RECT* rowRect)
{
    if (!rowRect)
        return;
    for (const auto& child : childWindows) {
        if (!child.window || !child.window->hwnd)
            continue;
        const int left = rowRect->left + child.rect.left;
        const int top = rowRect->top + child.rect.top;
        const int right = std::min(rowRect->left + child.rect.right, rowRect->right);
        const int bottom = std::min(rowRect->top + child.rect.bottom, rowRect->bottom);
        MoveWindow(child.window->hwnd, left, top, right - left, bottom - top, TRUE);
    }
}

void CImageItem::OnEnter() {}

CImageButton* CImageItem::AddButton(int buttonId, const RECT& buttonRect, const wchar_t* caption)
{
    if (CImageButton* existing = FindElement(buttons, buttonId))
        return existing;
    buttons.push_back(
        std::make_unique<CImageButton>(ownerWindow, buttonId, buttonRect, caption));
    return buttons.back().get();
}

void CImageItem::SetSelected(bool select)
{
    selected = select;
}
