#include "ui/CImagePaintEx.h"

#include "ui/ElementLookup.h"
#include "ui/CImageItem.h"
#include "ui/CSanDC.h"

#include <windowsx.h>

#include <utility>

namespace {

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

std::unique_ptr<Gdiplus::SolidBrush> MakeBrush(Gdiplus::ARGB argb)
{
    return std::unique_ptr<Gdiplus::SolidBrush>(new Gdiplus::SolidBrush(Gdiplus::Color(argb)));
}

bool HasAlpha(Gdiplus::ARGB argb)
{
    return (argb >> 24) != 0;
}

} // namespace

CImagePaintEx::CImagePaintEx() = default;

CImagePaintEx::~CImagePaintEx() = default;

CImageItem* CImagePaintEx::AddItem(int id)
{
    if (CImageItem* existing = FindItem(id))
        return existing;
    items.push_back(std::make_unique<CImageItem>(ownerWindow, id, itemHeight));
    CImageItem* row = items.back().get();
    Relayout(nullptr);
    return row;
}

CImageItem* CImagePaintEx::FindItem(int id) const
{
    return FindElement(items, id);
}

void CImagePaintEx::Clear()
{
    if (!items.empty()) {
        items.clear();
        Relayout(nullptr);
    }
    hotItem = nullptr;
    lastClickedItem = nullptr;
}

void CImagePaintEx::Reset()
{
    Clear();
    backBrush.reset();
    selectedBrush.reset();
    hoverBrush.reset();
    mousePos = POINT{-1, 0};
    hotItem = nullptr;
    lastClickedItem = nullptr;
    tracking = false;
    ownerWindow = nullptr;
}

void CImagePaintEx::SetBackColor(Gdiplus::ARGB argb)
{
    backColor = argb;
    fillBackground = true;
    backBrush = MakeBrush(argb);
}

void CImagePaintEx::SetHoverColor(Gdiplus::ARGB argb)
{
    hoverColor = argb;
    hoverBrush = MakeBrush(argb);
}

void CImagePaintEx::SetOnItemClick(ItemCallback callback)
{
    onItemClick = std::move(callback);
}

RECT CImagePaintEx::ClientRect() const
{
    RECT client = {0, 0, 0, 0};
    if (ownerWindow)
        GetClientRect(ownerWindow, &client);
    return target.ToLayout(client);
}

RECT CImagePaintEx::GetItemRect(int id) const
{
    const RECT client = ClientRect();
    int y = 0;
    for (const auto& row : items) {
        if (!row->visible)
            continue;
        if (row->id == id)
            return RECT{0, y, client.right, y + row->height};
        y += row->height;
    }
    return RECT{0, 0, client.right, 0};
}

bool CImagePaintEx::IsRowVisible(int top, int height) const
{
    const HWND parent = ownerWindow ? GetParent(ownerWindow) : nullptr;
    if (!parent)
        return true;
    POINT origin = {0, 0};
    MapWindowPoints(ownerWindow, parent, &origin, 1);
    origin = target.ToLayout(origin);
    RECT parentClient = {0, 0, 0, 0};
    GetClientRect(parent, &parentClient);
    parentClient = target.ToLayout(parentClient);
    const int rowTop = origin.y + top;
    if (rowTop + height == 0)
        return false;
    // Unsigned, so a row starting above the parent's client area fails too.
    return static_cast<unsigned>(rowTop) <= static_cast<unsigned>(parentClient.bottom);
}

bool CImagePaintEx::RowOnScreen(const RECT& rowRect) const
{
    return IsRowVisible(rowRect.top, rowRect.bottom - rowRect.top);
}

void CImagePaintEx::Relayout(const RECT* client)
{
    const RECT area = client ? *client : ClientRect();
    int y = 0;
    for (const auto& row : items) {
        if (!row->visible)
            continue;
        const RECT rowRect = {0, y, area.right, y + row->height};
        if (!EqualRect(&rowRect, &row->rect)) {
            row->rect = rowRect;
            row->Layout(&rowRect);
        }
        y += row->height;
    }
}

CImageItem* CImagePaintEx::HitRow(POINT point) const
{
    const RECT client = ClientRect();
    int y = 0;
    for (const auto& row : items) {
        if (!row->visible)
            continue;
        const RECT rowRect = {0, y, client.right, y + row->height};
        if (IsRowVisible(y, row->height) && PtInRect(&rowRect, point))
            return row.get();
        y += row->height;
    }
    return nullptr;
}

void CImagePaintEx::Repaint(const RECT& rect)
{
    // Never with a null handle: that would invalidate the whole desktop.
    if (ownerWindow)
        target.Invalidate(ownerWindow, false, rect);
}

bool CImagePaintEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        OnNcCreate();
        return false;
    case WM_DESTROY:
        Reset();
        return false;
    case WM_SIZE: {
        const RECT client = {0, 0, target.ToLayoutLength(GET_X_LPARAM(lParam)),
                             target.ToLayoutLength(GET_Y_LPARAM(lParam))};
        Relayout(&client);
        return false;
    }
    case WM_PAINT:
        Paint();
        return false;
    case WM_ERASEBKGND:
        return OnEraseBackground();
    case WM_SHOWWINDOW:
        if (!wParam)
            OnHidden();
        return false;
    case WM_MOUSEMOVE:
        OnMouseMove(target.ToLayout(PointOf(lParam)));
        return false;
    case WM_LBUTTONUP:
        OnLeftUp(target.ToLayout(PointOf(lParam)));
        return false;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    default:
        return false;
    }
}

void CImagePaintEx::OnNcCreate()
{
    target.LookUpScale(ownerWindow);
    if (!backBrush && HasAlpha(backColor))
        backBrush = MakeBrush(backColor);
    if (!hoverBrush && HasAlpha(hoverColor))
        hoverBrush = MakeBrush(hoverColor);
    if (!selectedBrush && HasAlpha(selectedColor))
        selectedBrush = MakeBrush(selectedColor);
    // Rows filled before the window existed hand it to buttons added later.
    for (const auto& row : items)
        row->ownerWindow = ownerWindow;
}

void CImagePaintEx::OnHidden()
{
    mousePos = POINT{-1, 0};
    for (const auto& row : items) {
        row->hover = false;
        row->selected = false;
        row->hotButton = nullptr;
    }
}

void CImagePaintEx::OnMouseMove(POINT point)
{
    mousePos = point;
    if (!tracking && ownerWindow) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = ownerWindow;
        track.dwHoverTime = 10;
        TrackMouseEvent(&track);
        tracking = true;
    }

    if (hotItem) {
        const RECT hotRect = GetItemRect(hotItem->id);
        if (RowOnScreen(hotRect)) {
            if (PtInRect(&hotRect, point)) {
                if (hotItem->OnMouseMove(point, hotRect))
                    Repaint(hotRect);
                return;
            }
            // Leaving the hot row only un-hovers it; the next move finds
            // the row now under the mouse.
            Repaint(hotRect);
            hotItem->hover = false;
            hotItem->hotButton = nullptr;
            hotItem->OnMouseLeave();
            hotItem = nullptr;
            return;
        }
    }

    CImageItem* row = HitRow(point);
    if (!row || row == hotItem)
        return;
    hotItem = row;
    row->hover = true;
    const RECT rowRect = GetItemRect(row->id);
    row->OnMouseMove(point, rowRect);
    Repaint(rowRect);
    row->OnEnter();
}

void CImagePaintEx::OnLeftUp(POINT point)
{
    mousePos = point;
    if (ownerWindow)
        SetFocus(ownerWindow);
    CImageItem* row = HitRow(point);
    if (!row)
        return;
    row->OnMouseMove(point, GetItemRect(row->id));
    if (lastClickedItem)
        lastClickedItem->selected = false;
    row->SetSelected(true);

    const bool repeated = row == lastClickedItem;
    lastClickedItem = row;
    if (onItemClick)
        onItemClick(row);
    // The owner may have destroyed the window in the callback: the rows are
    // gone then and there is nothing left to repaint.
    if (repeated || !ownerWindow || !IsWindow(ownerWindow))
        return;
    InvalidateRect(ownerWindow, nullptr, TRUE);
}

void CImagePaintEx::OnMouseLeave()
{
    mousePos = POINT{-1, 0};
    tracking = false;
    if (!hotItem)
        return;
    CImageItem* row = hotItem;
    const RECT rowRect = GetItemRect(row->id);
    row->OnMouseMove(POINT{0, 0}, rowRect);
    row->hover = false;
    row->hotButton = nullptr;
    if (RowOnScreen(rowRect))
        Repaint(rowRect);
    hotItem = nullptr;
}

Gdiplus::Brush* CImagePaintEx::RowFill(const CImageItem& row) const
{
    if (row.selected)
        return selectedBrush ? selectedBrush.get() : hoverBrush.get();
    if (row.hover)
        return hoverBrush.get();
    return nullptr;
}

bool CImagePaintEx::OnEraseBackground()
{
    const RECT client = ClientRect();
    if (!EqualRect(&client, &erasedRect)) {
        Paint();
        erasedRect = client;
    }
    return true;
}

void CImagePaintEx::Paint()
{
    if (!ownerWindow)
        return;
    const HWND window = ownerWindow;
    RECT update = {0, 0, 0, 0};
    GetUpdateRect(window, &update, FALSE);
    if (update.right == update.left || update.bottom == update.top)
        return;

    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    // Nothing began, so there is nothing to end.
    if (!dc)
        return;
    RECT device = {0, 0, 0, 0};
    GetClientRect(window, &device);
    const RECT client = target.ToLayout(device);
    {
        // Copies itself onto the paint DC when it goes, before EndPaint.
        CSanDC buffer(dc, device, update);
        if (buffer.memoryDc && buffer.bitmap) {
            SetBkMode(buffer.memoryDc.get(), TRANSPARENT);
            Gdiplus::Graphics graphics(buffer.memoryDc.get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            target.Apply(graphics);
            if (fillBackground && backBrush)
                graphics.FillRectangle(backBrush.get(), static_cast<INT>(client.left - 1),
                                       static_cast<INT>(client.top - 1),
                                       static_cast<INT>(client.right - client.left + 1),
                                       static_cast<INT>(client.bottom - client.top + 1));
            int y = 0;
            for (const auto& row : items) {
                if (!row->visible)
                    continue;
                RECT rowRect = {0, y, client.right, y + row->height};
                if (IsRowVisible(y, row->height))
                    row->Draw(graphics, &rowRect, RowFill(*row));
                y += row->height;
            }
        }
    }
    EndPaint(window, &ps);
}
