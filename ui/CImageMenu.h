#pragma once

#include "ui/CImageCtrlEx.h"

#include <memory>

class CShadowCtrl;

// Popup menu: a list window of fixed width at a screen point, with a drop
// shadow that follows it, above other windows, without a taskbar button,
// hidden as soon as it loses the activation.
// Owning thread: the one that creates its window, as for every CWindowCtrl.
class CImageMenu : public CImageCtrlEx {
public:
    static constexpr int kWidth = 96;

    CImageMenu();
    ~CImageMenu() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnMove(int x, int y) override;
    void OnSize(UINT type, int width, int height) override;
    void OnShowWindow(BOOL show, UINT status) override;

    // Creates the windows when needed and shows the menu with its top-left
    // corner at `screenPoint` (the caller corrects for the screen edge).
    void ShowAt(POINT screenPoint);
    // Sum of the heights of the visible rows.
    int MenuHeight() const;

    CImageMenu* parentMenu = nullptr;  // not owned
    CImageMenu* subMenu = nullptr;     // not owned
    bool autoHide = true;
    bool keepLinkedMenus = false;
    std::unique_ptr<CShadowCtrl> shadow;

private:
    // Deactivation: hides the menu unless the click went into the submenu.
    // True when the message is consumed.
    bool OnDeactivate();
    void PlaceShadow();
    bool ShadowAlive() const;
};
