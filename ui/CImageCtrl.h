#pragma once

#include "ui/CImagePaint.h"
#include "ui/CWindowCtrl.h"
#include "ui/GdiPlusInclude.h"
#include "base/ScopedHandles.h"

#include <array>

class CImageButton;

// Skinned frameless top-level window: no system caption, resize borders of
// its own through hit-testing, a minimum size, maximise to the work area,
// optional cut corners. The painter's button and paint events become the
// virtual hooks below, which window classes override.
// Owning thread: the one that creates its window, as for every CWindowCtrl.
class CImageCtrl : public CWindowCtrl {
public:
    CImageCtrl();
    ~CImageCtrl() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Button hooks: true lets the toolkit go on, false consumes the event.
    virtual bool OnButtonDown(CImageButton* button);
    virtual bool OnButtonClick(CImageButton* button);
    virtual bool OnButtonHover(CImageButton* button);
    virtual bool OnButtonRightDown(CImageButton* button);
    virtual bool OnButtonRightClick(CImageButton* button);
    virtual void OnPaintBackground(Gdiplus::Graphics& graphics);
    virtual void OnPaintForeground(Gdiplus::Graphics& graphics);

    // Sets the small (big false) or large window icon from a copy of
    // `newIcon`; the caller keeps its own icon.
    void SetIcon(HICON newIcon, bool big);
    // The best `size` x `size` image of the executable's icon group 128.
    bool SetIconFromResource(bool big, int size);

    // Resize zone of client point (x, y) in a width x height client area.
    static LRESULT HitTestZone(int x, int y, int width, int height, int borderWidth,
                               int borderHeight);
    // The least size of a window whose 96-DPI minimum is `minimum`, at
    // `dpi`, on a monitor with the work area `work`.
    static SIZE MinimumWithin(SIZE minimum, UINT dpi, const RECT& work);
    // Outline of a restored window with cut corners (top one pixel, bottom two).
    static std::array<POINT, 8> CutCornerOutline(int width, int height);

    CImagePaint painter;
    ScopedIcon icon;
    // 96-DPI units, like every size in the layout.
    int minWidth = 0;
    int minHeight = 0;
    bool resizable = false;
    int borderHeight = 3;
    int borderWidth = 3;
    bool roundCorners = false;
    // The large icon needs a copy of its own: the caller destroys the icon
    // it passed right after SetIcon.
    ScopedIcon bigIcon;

private:
    void OnNcCreate();
    LRESULT HitTest(LPARAM lParam) const;
    void ApplyRegion();
    void ApplyMinMaxInfo(MINMAXINFO* info) const;
    static bool MonitorInfoOf(HMONITOR handle, MONITORINFO& monitor);
    void ClampPosition(WINDOWPOS* pos) const;
    LRESULT ToPainter(UINT message, WPARAM wParam, LPARAM lParam);
};
