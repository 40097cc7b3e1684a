#include "browser/CMyHtml.h"

#include "base/AppMessages.h"

#include <strsafe.h>

namespace {

struct FindWindowRequest {
    DWORD processId = 0;
    HWND result = nullptr;
    wchar_t text[256] = {};
    wchar_t className[256] = {};
};

BOOL CALLBACK MatchChildWindow(HWND hwnd, LPARAM param)
{
    auto* request = reinterpret_cast<FindWindowRequest*>(param);
    wchar_t text[512] = {};
    wchar_t className[512] = {};
    GetWindowTextW(hwnd, text, 512);
    GetClassNameW(hwnd, className, 512);
    if (request->text[0] && wcscmp(request->text, text) != 0)
        return TRUE;
    if (request->className[0] && wcscmp(request->className, className) != 0)
        return TRUE;
    if (request->processId) {
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (process != request->processId)
            return TRUE;
    }
    request->result = hwnd;
    return FALSE;
}

} // namespace

CMyHtml::CMyHtml() = default;

CMyHtml::~CMyHtml() = default;

void CMyHtml::Navigate(const wchar_t* url, int flags)
{
    if (url)
        browser.Navigate(url, flags);
}

void CMyHtml::Refresh()
{
    browser.Refresh();
}

void CMyHtml::SetSilent(int value)
{
    browser.SetSilent(value != 0);
}

void CMyHtml::SetZoom(int percent)
{
    browser.SetZoom(percent);
}

void CMyHtml::OnCreate(CREATESTRUCTW*)
{
    browser.Attach(hwnd);
    // The parent's thread keeps its own copy of the handle rather than read
    // this object's.
    if (const HWND parent = GetParent(hwnd))
        PostMessageW(parent, BrowserWindowMessage, reinterpret_cast<WPARAM>(hwnd), 0);
}

void CMyHtml::OnDestroy()
{
    // Still on the browser thread: the control is closed where it lives.
    browser.Detach();
}

void CMyHtml::OnSize(UINT, int, int)
{
    OnSize();
}

void CMyHtml::OnSize()
{
    RECT rc = {};
    if (hwnd && IsWindow(hwnd))
        GetClientRect(hwnd, &rc);
    const HWND control = browser.GetControlWindow();
    if (!control)
        return;
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    wchar_t line[260];
    StringCchPrintfW(line, 260, L"OnSize left:%d top:%d width:%d,hieght:%d ", rc.left, rc.top,
                     width, height);
    OutputDebugStringW(line);
    // Before the game view the control reaches 4 pixels below the window,
    // hiding its bottom edge.
    MoveWindow(control, rc.left, rc.top, width, inGame ? height : height + 4, TRUE);
    if (const HWND flash = FindFlashWindow(control))
        MoveWindow(flash, rc.left, rc.top, width, height, TRUE);
    else
        OutputDebugStringW(L"not MacromediaFlashPlayerActiveX");
}

void CMyHtml::MoveTo(const RECT& rect)
{
    if (hwnd && IsWindow(hwnd) && !IsRectEmpty(&rect))
        MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    if (browser.HostWindow())
        OnSize();
}

int CMyHtml::PreTranslateMessage(MSG* msg)
{
    if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && inGame) {
        switch (msg->wParam) {
        case VK_TAB:
            if (const HWND flash = FindFlashWindow(hwnd))
                SetFocus(flash);
            break;
        case VK_ESCAPE:
            PostMessageW(GetParent(hwnd), FrameCommandMessage, LeaveFullScreenCommand, 0);
            break;
        case VK_F10:
            PostMessageW(GetParent(hwnd), FrameCommandMessage, ToggleFullScreenCommand, 0);
            break;
        default:
            break;
        }
    }
    return browser.TranslateBrowserKey(msg) == 0 ? 1 : 0;
}

HWND CMyHtml::FindFlashWindow(HWND parent)
{
    FindWindowRequest request;
    StringCchPrintfW(request.text, 256, L"%s", L"");
    StringCchPrintfW(request.className, 256, L"%s", L"MacromediaFlashPlayerActiveX");
    EnumChildWindows(parent, &MatchChildWindow, reinterpret_cast<LPARAM>(&request));
    return request.result;
}
