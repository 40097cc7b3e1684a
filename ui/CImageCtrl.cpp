#include "ui/CImageCtrl.h"

#include "ui/CImageButton.h"

#include <windowsx.h>

#include <algorithm>

namespace {

// WS_CAPTION off; WS_CLIPCHILDREN, WS_MAXIMIZEBOX and the low style bit on.
constexpr LONG kStyleKeep = static_cast<LONG>(0xFF3FFFFFu);
constexpr LONG kStyleAdd = 0x02010100;

constexpr int kIconGroupId = 128;

} // namespace

CImageCtrl::CImageCtrl()
{
    SetWindowClassName(L"ImageCtrl");
}

CImageCtrl::~CImageCtrl()
{
    // The window may outlive this object (it is only asked to close); it
    // must not keep showing icons that die with it.
    if (hwnd && IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
        if (icon)
            SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0);
        if (bigIcon)
            SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
    }
}

bool CImageCtrl::OnButtonDown(CImageButton*) { return true; }
bool CImageCtrl::OnButtonClick(CImageButton*) { return true; }
bool CImageCtrl::OnButtonHover(CImageButton*) { return true; }
bool CImageCtrl::OnButtonRightDown(CImageButton*) { return true; }
bool CImageCtrl::OnButtonRightClick(CImageButton*) { return true; }
void CImageCtrl::OnPaintBackground(Gdiplus::Graphics&) {}
void CImageCtrl::OnPaintForeground(Gdiplus::Graphics&) {}

LRESULT CImageCtrl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        OnNcCreate();
        return ToPainter(message, wParam, lParam);
    case WM_NCHITTEST:
        return HitTest(lParam);
    case WM_SIZE:
        if (roundCorners)
            ApplyRegion();
        return ToPainter(message, wParam, lParam);
    case WM_GETMINMAXINFO:
        ApplyMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return ToPainter(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
        ClampPosition(reinterpret_cast<WINDOWPOS*>(lParam));
        return ToPainter(message, wParam, lParam);
    default:
        return ToPainter(message, wParam, lParam);
    }
}

LRESULT CImageCtrl::ToPainter(UINT message, WPARAM wParam, LPARAM lParam)
{
    return painter.HandleMessage(message, wParam, lParam) ? 1 : 0;
}

void CImageCtrl::OnNcCreate()
{
    painter.ownerWindow = hwnd;
    // Each binding calls the slot virtually, so window classes' overrides run.
    painter.SetOnButtonDown([this](CImageButton* b) { return OnButtonDown(b); });
    painter.SetOnButtonClick([this](CImageButton* b) { return OnButtonClick(b); });
    painter.SetOnButtonHover([this](CImageButton* b) { return OnButtonHover(b); });
    painter.SetOnButtonRightDown([this](CImageButton* b) { return OnButtonRightDown(b); });
    painter.SetOnButtonRightClick([this](CImageButton* b) { return OnButtonRightClick(b); });
    painter.SetOnPaintBackground([this](Gdiplus::Graphics& g) { OnPaintBackground(g); });
    painter.SetOnPaintForeground([this](Gdiplus::Graphics& g) { OnPaintForeground(g); });
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    SetWindowLongW(hwnd, GWL_STYLE, (style & kStyleKeep) | kStyleAdd);
}

LRESULT CImageCtrl::HitTestZone(int x, int y, int width, int height, int borderWidth,
                                int borderHeight)
{
    const int bw = borderWidth;
    const int bh = borderHeight;
    if (x < bw && y < bh)
        return HTTOPLEFT;
    if (x <= bw && y >= height - bh)
        return HTBOTTOMLEFT;
    if (x > width - bw && y < bh)
        return HTTOPRIGHT;
    if (x >= width - bw && y >= height - bh)
        return HTBOTTOMRIGHT;
    if (x < bw)
        return HTLEFT;
    if (x >= width - bw)
        return HTRIGHT;
    if (y < bh)
        return HTTOP;
    if (y > height - bh)
        return HTBOTTOM;
    return HTCLIENT;
}

LRESULT CImageCtrl::HitTest(LPARAM lParam) const
{
    if (!resizable)
        return HTCLIENT;
    // Signed words: a monitor left of or above the primary one has negative
    // screen coordinates.
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd, &point);
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    return HitTestZone(point.x, point.y, client.right - client.left, client.bottom - client.top,
                       borderWidth, borderHeight);
}

std::array<POINT, 8> CImageCtrl::CutCornerOutline(int width, int height)
{
    const int w = width;
    const int h = height;
    return {{{0, 1}, {1, 0}, {w - 1, 0}, {w, 1}, {w, h - 2}, {w - 2, h}, {2, h}, {0, h - 2}}};
}

void CImageCtrl::ApplyRegion()
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    ScopedRegion region;
    if (IsZoomed(hwnd)) {
        region.reset(CreateRectRgn(0, 0, width, height));
    } else {
        const auto outline = CutCornerOutline(width, height);
        region.reset(CreatePolygonRgn(outline.data(), static_cast<int>(outline.size()), WINDING));
    }
    // On success the system owns the region; on failure it is still ours.
    if (region && SetWindowRgn(hwnd, region.get(), TRUE))
        region.release();
}

SIZE CImageCtrl::MinimumWithin(SIZE minimum, UINT dpi, const RECT& work)
{
    // Scaled like everything else, but never more than the work area: the
    // taskbar stays uncovered even on a small screen at a large scale.
    const int scale = static_cast<int>(dpi ? dpi : 96);
    SIZE size = {MulDiv(minimum.cx, scale, 96), MulDiv(minimum.cy, scale, 96)};
    if (work.right > work.left)
        size.cx = std::min(size.cx, static_cast<LONG>(work.right - work.left));
    if (work.bottom > work.top)
        size.cy = std::min(size.cy, static_cast<LONG>(work.bottom - work.top));
    return size;
}

bool CImageCtrl::MonitorInfoOf(HMONITOR handle, MONITORINFO& monitor)
{
    monitor = {};
    monitor.cbSize = sizeof(monitor);
    return handle && GetMonitorInfoW(handle, &monitor);
}

void CImageCtrl::ApplyMinMaxInfo(MINMAXINFO* info) const
{
    if (!info)
        return;
    MONITORINFO monitor;
    if (!MonitorInfoOf(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), monitor))
        return;
    // The window's own monitor's work area; the position is relative to
    // that monitor, as the system takes it.
    const RECT& work = monitor.rcWork;
    info->ptMaxSize.x = work.right - work.left;
    info->ptMaxSize.y = work.bottom - work.top;
    info->ptMaxPosition.x = work.left - monitor.rcMonitor.left;
    info->ptMaxPosition.y = work.top - monitor.rcMonitor.top;
    const SIZE least = MinimumWithin(SIZE{minWidth, minHeight}, painter.Dpi(), work);
    info->ptMinTrackSize.x = least.cx;
    info->ptMinTrackSize.y = least.cy;
}

void CImageCtrl::ClampPosition(WINDOWPOS* pos) const
{
    if (!pos || minWidth == 0 || minHeight == 0 || (pos->flags & SWP_NOSIZE))
        return;
    // The monitor the window is going to.
    const RECT next = {pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
    const HMONITOR handle = (pos->flags & SWP_NOMOVE) ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)
                                                      : MonitorFromRect(&next, MONITOR_DEFAULTTONEAREST);
    MONITORINFO monitor;
    const RECT work = MonitorInfoOf(handle, monitor) ? monitor.rcWork : RECT{0, 0, 0, 0};
    const SIZE least = MinimumWithin(SIZE{minWidth, minHeight}, painter.Dpi(), work);
    pos->cx = std::max(pos->cx, static_cast<int>(least.cx));
    pos->cy = std::max(pos->cy, static_cast<int>(least.cy));
}

void CImageCtrl::SetIcon(HICON newIcon, bool big)
{
    ScopedIcon& kept = big ? bigIcon : icon;
    // The old copy stays alive until the window has let go of it.
    ScopedIcon previous = std::move(kept);
    kept.reset(newIcon ? CopyIcon(newIcon) : nullptr);
    if (hwnd && IsWindow(hwnd)) {
        SendMessageW(hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                     reinterpret_cast<LPARAM>(kept.get()));
    }
}

bool CImageCtrl::SetIconFromResource(bool big, int size)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC groupInfo = FindResourceW(module, MAKEINTRESOURCEW(kIconGroupId), RT_GROUP_ICON);
    const HGLOBAL group = groupInfo ? LoadResource(module, groupInfo) : nullptr;
    auto* directory = group ? static_cast<BYTE*>(LockResource(group)) : nullptr;
    if (!directory || SizeofResource(module, groupInfo) == 0)
        return false;
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    if (id <= 0)
        return false;

    const HRSRC iconInfo = FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    const HGLOBAL iconData = iconInfo ? LoadResource(module, iconInfo) : nullptr;
    auto* bits = iconData ? static_cast<BYTE*>(LockResource(iconData)) : nullptr;
    if (!bits)
        return false;
    ScopedIcon created(CreateIconFromResourceEx(bits, SizeofResource(module, iconInfo), TRUE,
                                                0x00030000, size, size, LR_DEFAULTCOLOR));
    if (!created)
        return false;
    SetIcon(created.get(), big);
    return true;
}
