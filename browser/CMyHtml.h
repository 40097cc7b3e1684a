#pragma once

#include "browser/CWebBrowser.h"
#include "ui/CWindowCtrl.h"

// Child window of the game window that hosts the web-browser control.
// Owning thread: the browser thread. The object is a member of the game
// window, built before the browser thread is asked to serve it and destroyed
// after that thread has ended; in between only the browser thread touches
// it. Other threads reach it through HtmlWindowProxy, by queued requests.
class CMyHtml : public CWindowCtrl {
public:
    CMyHtml();
    ~CMyHtml() override;

    int PreTranslateMessage(MSG* msg) override;
    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int width, int height) override;

    void Navigate(const wchar_t* url, int flags);
    void Refresh();
    void SetSilent(int value);
    // Kept when there is no control yet: its first page gets it.
    void SetZoom(int percent);
    // Lays the control (and a Flash window in it) over the client area.
    void OnSize();
    // Moves this window to `rect` in its parent's client area, unless it is
    // empty, then lays the control out.
    void MoveTo(const RECT& rect);

    // The first descendant of `parent` of class "MacromediaFlashPlayerActiveX".
    static HWND FindFlashWindow(HWND parent);

    // Set when the game window enters its game view (GameViewRequest).
    bool inGame = false;
    CWebBrowser browser;
};
