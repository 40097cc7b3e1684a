#pragma once

#include "ui/CRenderTarget.h"
#include "ui/GdiPlusInclude.h"

#include <functional>
#include <list>
#include <memory>

class CImageItem;

// Painter of list windows: keeps the rows, stacks the visible ones from the
// top of the client area, paints them double-buffered, tracks the hot row
// and reports clicked rows through onItemClick. Rows are laid out in 96-DPI
// units; `target` scales them to the window. Used on its window's thread.
class CImagePaintEx {
public:
    using ItemCallback = std::function<void(CImageItem*)>;

    CImagePaintEx();
    CImagePaintEx(const CImagePaintEx&) = delete;
    CImagePaintEx& operator=(const CImagePaintEx&) = delete;
    virtual ~CImagePaintEx();

    // The row with `id`, unchanged when it exists, else a new last row.
    CImageItem* AddItem(int id);
    CImageItem* FindItem(int id) const;
    void Clear();
    void Reset();
    void SetBackColor(Gdiplus::ARGB argb);
    void SetHoverColor(Gdiplus::ARGB argb);
    void SetOnItemClick(ItemCallback callback);

    // (0, top, client right, top + height) of the visible row with `id`;
    // zero height when there is none.
    RECT GetItemRect(int id) const;
    // Whether a row at `top` with `height` lies inside the parent window's
    // client area (always, without a parent).
    bool IsRowVisible(int top, int height) const;
    // Gives each visible row its rectangle; null means the client rectangle.
    void Relayout(const RECT* client);
    // True only for WM_ERASEBKGND (the background is never erased).
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    ItemCallback onItemClick;
    int itemHeight = 24;
    bool tracking = false;
    CImageItem* hotItem = nullptr;          // not owned
    CImageItem* lastClickedItem = nullptr;  // not owned
    std::unique_ptr<Gdiplus::SolidBrush> backBrush;
    std::unique_ptr<Gdiplus::SolidBrush> hoverBrush;
    std::unique_ptr<Gdiplus::SolidBrush> selectedBrush;
    Gdiplus::ARGB backColor = 0xFFFAFAFA;
    bool fillBackground = true;
    Gdiplus::ARGB hoverColor = 0;
    Gdiplus::ARGB selectedColor = 0;
    std::list<std::unique_ptr<CImageItem>> items;
    RECT erasedRect = {0, 0, 0, 0};
    POINT mousePos = {-1, 0};
    HWND ownerWindow = nullptr;
    CRenderTarget target;

private:
    void OnNcCreate();
    void OnHidden();
    void OnMouseMove(POINT point);
    void OnLeftUp(POINT point);
    void OnMouseLeave();
    bool OnEraseBackground();

    RECT ClientRect() const;
    // The visible row under `point`, or null.
    CImageItem* HitRow(POINT point) const;
    void Repaint(const RECT& rect);
    // The background of `row` for its state: selected, hovered or none.
    Gdiplus::Brush* RowFill(const CImageItem& row) const;
    bool RowOnScreen(const RECT& rowRect) const;
};
