#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>
#include <vector>

class CImageButton;
class CImageStatic;
class CWindowCtrl;

// One row of a list window (a popup menu entry): an id and a height, its
// hover or selected background and its own windowless buttons, one of which
// normally carries the caption. Element rectangles are relative to the row.
// Owning thread: its list window's.
class CImageItem {
public:
    // A child window kept inside the row at `rect` (relative to the row).
    struct ChildWindow {
        std::unique_ptr<CWindowCtrl> window;
        RECT rect;
    };

    // `ownerWindow` is the list window the row's buttons belong to.
    CImageItem(HWND ownerWindow, int id, int height);
    CImageItem(const CImageItem&) = delete;
    CImageItem& operator=(const CImageItem&) = delete;

    virtual ~CImageItem();
    // `rowRect` is the row's place in the owner's client area; `fill` is the
    // background the owner picked for the row's state, null for none.
    virtual void Draw(Gdiplus::Graphics& graphics, const RECT* rowRect, Gdiplus::Brush* fill);
    // True when the hot button changed (the owner then repaints the row).
    virtual bool OnMouseMove(POINT point, const RECT& rowRect);
    virtual void OnMouseLeave();
    virtual void Layout(const RECT* rowRect);
    virtual void OnEnter();

    // The row's button with `id`, unchanged when it exists, else a new one
    // without pictures.
    CImageButton* AddButton(int id, const RECT& rect, const wchar_t* caption);
    // Only this row: the owner clears the previous selection.
    void SetSelected(bool select);

    // Where an element with `rect` (relative to the row) and `rightAnchor`
    // lies for the row rectangle `row`. Clamped: cut at the row's right and
    // bottom edges, as drawn; unclamped: as hit-tested.
    static RECT PlaceInRow(const RECT& rect, int rightAnchor, const RECT& row, bool clamp);

    POINT lastPoint = {-1, 0};
    std::vector<std::unique_ptr<CImageButton>> buttons;
    std::vector<std::unique_ptr<CImageStatic>> images;
    std::vector<CImageButton*> overlays;  // borrowed
    std::vector<ChildWindow> childWindows;
    CImageButton* hotButton = nullptr;
    bool hover = false;
    bool selected = false;
    bool visible = true;
    HWND ownerWindow;
    int id;
    int height;
    RECT rect = {0, 0, 0, 0};
};
