#include "ui/CImageMenu.h"

#include "ui/CImageItem.h"
#include "ui/CShadowCtrl.h"

namespace {

constexpr Gdiplus::ARGB kMenuBackColor = 0xFFEDF3FA;

bool WindowAlive(HWND window)
{
    return window && IsWindow(window);
}

bool WindowShown(const CImageMenu* menu)
{
    return menu && WindowAlive(menu->hwnd) && IsWindowVisible(menu->hwnd);
}

} // namespace

CImageMenu::CImageMenu()
{
    SetWindowClassName(L"ImageMenu");
}

CImageMenu::~CImageMenu()
{
    if (shadow) {
        // The menu window is owned by the shadow window and goes with it.
        if (ShadowAlive())
            DestroyWindow(shadow->hwnd);
        shadow.reset();
    }
}

bool CImageMenu::ShadowAlive() const
{
    return shadow && WindowAlive(shadow->hwnd);
}

int CImageMenu::MenuHeight() const
{
    int total = 0;
    for (const auto& row : painter.items) {
        if (row->visible)
            total += row->height;
    }
    return total;
}

void CImageMenu::ShowAt(POINT screenPoint)
{
    const int x = screenPoint.x;
    const int y = screenPoint.y;
    const int height = MenuHeight();

    if (!WindowAlive(hwnd)) {
        if (!shadow) {
            shadow = std::make_unique<CShadowCtrl>();
            shadow->SetMenuColors();
        }
        // A shadow window left from a destroyed menu is still waiting for
        // its posted WM_CLOSE, which would take the new menu (its owned
        // window) down with it: replace it now.
        if (ShadowAlive())
            DestroyWindow(shadow->hwnd);
        shadow->Create(0, nullptr, nullptr, WS_POPUP | WS_VISIBLE, x, y, 0, 0, nullptr);
        if (!WindowAlive(hwnd))
            Create(0, nullptr, nullptr, WS_POPUP, x, y, kWidth, height, shadow->hwnd);
    }
    if (!WindowAlive(hwnd))
        return;
    // Rows are in 96-DPI units; the window takes its monitor's scale.
    const RECT size = painter.target.ToDevice(RECT{0, 0, kWidth, height});
    MoveWindow(hwnd, x, y, size.right, size.bottom, TRUE);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
}

LRESULT CImageMenu::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && OnDeactivate())
            return 1;
        return CImageCtrlEx::HandleMessage(message, wParam, lParam);
    case WM_NCACTIVATE:
        if (!wParam && OnDeactivate())
            return 1;
        return CImageCtrlEx::HandleMessage(message, wParam, lParam);
    default:
        return CImageCtrlEx::HandleMessage(message, wParam, lParam);
    }
}

bool CImageMenu::OnDeactivate()
{
    if (!autoHide || !IsWindowVisible(hwnd))
        return false;
    if (WindowShown(subMenu)) {
        POINT cursor = {};
        RECT subRect = {};
        GetCursorPos(&cursor);
        GetWindowRect(subMenu->hwnd, &subRect);
        if (PtInRect(&subRect, cursor))
            return true;
    }
    ShowWindow(hwnd, SW_HIDE);
    return false;
}

void CImageMenu::OnCreate(CREATESTRUCTW*)
{
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    exStyle = (exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW;
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle);
    // The menu is owned by its shadow, so raising the shadow raises both.
    const HWND top = ShadowAlive() ? shadow->hwnd : hwnd;
    SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    painter.SetBackColor(kMenuBackColor);
    keepLinkedMenus = false;
}

void CImageMenu::OnShowWindow(BOOL show, UINT)
{
    if (show) {
        SetForegroundWindow(hwnd);
    } else if (!keepLinkedMenus) {
        if (parentMenu && WindowAlive(parentMenu->hwnd))
            ShowWindow(parentMenu->hwnd, SW_HIDE);
        if (subMenu && WindowAlive(subMenu->hwnd))
            ShowWindow(subMenu->hwnd, SW_HIDE);
    }
    if (ShadowAlive())
        ShowWindow(shadow->hwnd, show ? SW_SHOW : SW_HIDE);
}

void CImageMenu::PlaceShadow()
{
    if (ShadowAlive())
        shadow->PlaceAround(hwnd);
}

void CImageMenu::OnMove(int, int)
{
    PlaceShadow();
}

// The shadow also keeps the menu's size: a menu reopened at the same point
// with other rows would otherwise keep a shadow of the old height.
void CImageMenu::OnSize(UINT, int, int)
{
    PlaceShadow();
}

void CImageMenu::OnDestroy()
{
    if (ShadowAlive()) {
        ShowWindow(shadow->hwnd, SW_HIDE);
        PostMessageW(shadow->hwnd, WM_CLOSE, 0, 0);
    }
}
