#include "windows/CFrameBack.h"

#include "ui/CImageButton.h"
#include "windows/CloseMsgWnd.h"
#include "windows/DisplayPlacement.h"
#include "windows/GameAddress.h"
#include "windows/GameViewLayout.h"
#include "windows/SkinPictures.h"

#include <shellapi.h>

#include <algorithm>

#include <cwctype>

namespace {

// WS_CAPTION off; WS_CLIPCHILDREN, WS_MAXIMIZEBOX and the low style bit on.
constexpr LONG kStyleKeep = static_cast<LONG>(0xFF3FFFFFu);
constexpr LONG kStyleAdd = 0x02010100;

struct ButtonPlace {
    int id;
    RECT rect;
    int strip;
};

// In the order they are added.
constexpr ButtonPlace kButtons[] = {
    {MinimizeButtonId, {1280, 122, 1308, 150}, Picture::LauncherMinimize},
    {CFrameBack::CloseId, {1310, 120, 1341, 151}, Picture::LauncherClose},
    {CFrameBack::OfficialSiteId, {620, 158, 739, 200}, Picture::LinkSite},
    {CFrameBack::PaymentId, {741, 158, 860, 200}, Picture::LinkPay},
    {CFrameBack::ForumId, {1021, 158, 1140, 200}, Picture::LinkForum},
    {CFrameBack::ServiceId, {1142, 158, 1261, 200}, Picture::LinkService},
};

constexpr int kBackgroundPicture = Picture::LauncherBackground;

constexpr RECT kLauncherLayout = {0, 0, CFrameBack::Width, CFrameBack::Height};
constexpr RECT kGameLayout = {CFrameBack::GameOffsetX, CFrameBack::GameOffsetY,
                              CFrameBack::GameOffsetX + CFrameBack::GameWidth,
                              CFrameBack::GameOffsetY + CFrameBack::GameHeight};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

CFrameBack::CFrameBack()
{
    SetWindowClassName(L"velmor_back");
}

CFrameBack::~CFrameBack() = default;

LRESULT CFrameBack::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        OnNcCreate();
        return painter.HandleMessage(message, wParam, lParam) ? 1 : 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return painter.HandleMessage(message, wParam, lParam) ? 1 : 0;
    }
}

void CFrameBack::OnDpiChanged(UINT monitorDpi, const RECT* suggested)
{
    // The shadow is the game window's: it rescales it.
    if (shadowMode != 0 || !suggested || !hwnd)
        return;
    // The launcher on its new monitor: that monitor's scale or what fits
    // its work area, from the suggested corner but wholly inside.
    const POINT centre = {(suggested->left + suggested->right) / 2, (suggested->top + suggested->bottom) / 2};
    const MonitorArea area = MonitorAt(centre);
    const UINT dpi = FittingDpi(SIZE{Width, Height}, area.work, monitorDpi);
    const RECT size = ScaleToDpi(kLauncherLayout, dpi);
    const LONG x = std::max(area.work.left, std::min(suggested->left, area.work.right - size.right));
    const LONG y = std::max(area.work.top, std::min(suggested->top, area.work.bottom - size.bottom));
    painter.FixDpi(dpi);
    SetWindowPos(hwnd, nullptr, x, y, size.right, size.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    if (onLauncherScale)
        onLauncherScale(dpi);
    OnMove(x, y);
}

void CFrameBack::OnNcCreate()
{
    painter.ownerWindow = hwnd;
    painter.SetOnButtonClick([this](CImageButton* b) { return OnButtonClick(b); });
    painter.SetOnPaintForeground([this](Gdiplus::Graphics& g) { OnPaintForeground(g); });
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    SetWindowLongW(hwnd, GWL_STYLE, (style & kStyleKeep) | kStyleAdd);
}

void CFrameBack::OnCreate(CREATESTRUCTW*)
{
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    const LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    SetWindowLongW(hwnd, GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);

    // In layout units: the window is the background at the painter's scale.
    const RECT client = kLauncherLayout;
    painter.dragEnabled = true;
    painter.captionRect = client;

    RecreateShadowPens(pens, colors);

    for (const ButtonPlace& place : kButtons) {
        if (CImageButton* button = painter.AddButton(place.id, place.rect, 0, 0, 0, 0))
            button->SetImageStrip(place.strip);
    }
    painter.AddImage(client, kBackgroundPicture, BackgroundId, false);

    painter.EnableLayered();
    painter.UpdateLayered();
}

void CFrameBack::OnDestroy()
{
    for (auto& pen : pens)
        pen.reset();
}

void CFrameBack::OnMove(int, int)
{
    const HWND game = GameHandle();
    if (shadowMode != 0 || !game)
        return;
    const RECT place = GameWindowRect();
    MoveWindow(game, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

HWND CFrameBack::CreateLauncher()
{
    if (hwnd && IsWindow(hwnd))
        return hwnd;
    const MonitorArea primary = PrimaryMonitor();
    const UINT dpi = FittingDpi(SIZE{Width, Height}, primary.work, primary.dpi);
    // Before the window exists: its creation must not look the scale up
    // again, the size below is made for this one.
    painter.FixDpi(dpi);
    launcherRect = ScaleToDpi(kLauncherLayout, dpi);
    const POINT origin = LauncherOrigin(primary.work, dpi);
    OffsetRect(&launcherRect, origin.x, origin.y);
    return Create(0, nullptr, nullptr, WS_POPUP | WS_VISIBLE, launcherRect.left, launcherRect.top,
                  launcherRect.right - launcherRect.left, launcherRect.bottom - launcherRect.top, nullptr);
}

RECT CFrameBack::GameWindowRect() const
{
    RECT own = launcherRect;
    if (hwnd && IsWindow(hwnd))
        GetWindowRect(hwnd, &own);
    RECT place = ScaleToDpi(kGameLayout, painter.Dpi());
    OffsetRect(&place, own.left, own.top);
    return place;
}

POINT CFrameBack::LauncherOrigin(const RECT& workArea, UINT dpi)
{
    const RECT size = ScaleToDpi(kLauncherLayout, dpi);
    return CentredOrigin(SIZE{size.right, size.bottom}, workArea);
}

void CFrameBack::Show(int command)
{
    if (hwnd)
        ShowWindow(hwnd, command);
}

void CFrameBack::EnterShadowMode()
{
    shadowMode = 1;
    painter.dragEnabled = false;
    painter.RemoveImage(BackgroundId);
    for (int id : {PaymentId, OfficialSiteId, ForumId, ServiceId, CloseId, MinimizeButtonId})
        painter.RemoveButton(id);
    // The shadow is sized around the game window, not made for the
    // launcher's scale.
    painter.FixDpi(0);
}

HWND CFrameBack::GameHandle() const
{
    return gameWindow && gameWindow->hwnd && IsWindow(gameWindow->hwnd) ? gameWindow->hwnd : nullptr;
}

bool CFrameBack::OnButtonClick(CImageButton* button)
{
    if (!button)
        return true;
    switch (button->id) {
    case MinimizeButtonId: {
        if (const HWND game = GameHandle())
            ShowWindow(game, SW_MINIMIZE);
        Show(SW_HIDE);
        return false;
    }
    case CloseId: {
        CloseMsgWnd dialog;
        if (dialog.ShowModal(hwnd) != DialogResult::Confirmed)
            return true;
        Show(SW_HIDE);
        if (const HWND game = GameHandle())
            PostMessageW(game, WM_CLOSE, 0, 0);
        return false;
    }
    case OfficialSiteId:
    case ForumId:
    case ServiceId:
    case PaymentId: {
        OpenAddress(LinkAddress(button->id, sites, userName.c_str()));
        return true;
    }
    default:
        return true;
    }
}

std::wstring CFrameBack::LinkAddress(int id, const SiteRoots& sites, const wchar_t* userName)
{
    switch (id) {
    // The same pages as the game window's title-bar links.
    case OfficialSiteId:
        return GameLinkAddress(OfficialLinkId, sites, userName, std::wstring());
    case ForumId:
        return GameLinkAddress(ForumLinkId, sites, userName, std::wstring());
    case ServiceId:
        return GameLinkAddress(ServiceLinkId, sites, userName, std::wstring());
    case PaymentId: {
        std::wstring address = sites.platform + L"/pay?gid=148";
        if (userName && userName[0])
            address += std::wstring(L"&user_name=") + userName;
        return address;
    }
    default:
        return std::wstring();
    }
}

bool CFrameBack::IsWebAddress(const std::wstring& address)
{
    return StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://");
}

bool CFrameBack::OpenAddress(const std::wstring& address) const
{
    if (!IsWebAddress(address)) {
        OutputDebugStringW((L"Lumarion: not opening non-web address: " + address + L"\n").c_str());
        return false;
    }
    if (opener) {
        opener(address);
        return true;
    }
    // A failure to start the browser is not shown to the user.
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
    return true;
}

void CFrameBack::OnPaintForeground(Gdiplus::Graphics& graphics)
{
    if (shadowMode != 1)
        return;
    // The painter draws in 96-DPI units.
    RECT client = {0, 0, 0, 0};
    GetClientRect(hwnd, &client);
    StrokeShadowOutlines(graphics, painter.ToLayout(client), shadowSize, cornerRadius, pens);
}

void CFrameBack::FollowGame(HWND game)
{
    if (!hwnd || !IsWindow(hwnd) || !game)
        return;
    RECT window = {0, 0, 0, 0};
    GetWindowRect(game, &window);
    const RECT around = ShadowRectAround(window, ScaledLength(shadowSize, painter.Dpi()));
    MoveWindow(hwnd, around.left, around.top, around.right - around.left, around.bottom - around.top, TRUE);
}
