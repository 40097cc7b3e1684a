#pragma once

#include "ui/LayeredWindow.h"
#include "ui/CWindowCtrl.h"
#include "ui/GdiPlusInclude.h"
#include "ui/ShadowOutlines.h"

// Transparent layered popup that lies around another window and draws its
// soft shadow. It never moves by itself: the owner places it (PlaceAround),
// shows and hides it with itself and closes it when it goes away.
// Owning thread: its owner's.
class CShadowCtrl : public CWindowCtrl {
public:
    using UpdateLayeredWindowFn = ::UpdateLayeredWindowFn;

    CShadowCtrl();
    ~CShadowCtrl() override;

    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnShowWindow(BOOL show, UINT status) override;
    // Renders the outlines for the current size and pushes them to the
    // screen at constant opacity `alpha`.
    virtual void Redraw(BYTE alpha);

    // Lighter grey for popup menus.
    void SetMenuColors();

    // Draws the outlines for a client rectangle into `dc`, which must hold a
    // 32-bit DIB; the alpha channel carries the shadow. Redraw uses this.
    void Render(HDC dc, const RECT& client) const;

    // Moves the window around `owner`'s window rectangle and redraws it.
    void PlaceAround(HWND owner);

    UpdateLayeredWindowFn updateLayeredWindow = nullptr;
    int shadowSize = 6;
    int cornerRadius = 3;
    ShadowPens outlinePens;
    ShadowColors outlineColors = {kShadowColors[0], kShadowColors[1], kShadowColors[2]};
};
