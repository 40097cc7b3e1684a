#pragma once

#include <windows.h>

class CMyHtml;
struct HtmlRequest;

// Another thread's handle on a browser window. Every operation is a request
// queued to the browser thread (through g_htmlManager; dropped when there is
// none); nothing here reads or writes the window object. Owning thread: the
// one that made it (the game window's, main).
class HtmlWindowProxy {
public:
    explicit HtmlWindowProxy(CMyHtml& target);
    HtmlWindowProxy(const HtmlWindowProxy&) = delete;
    HtmlWindowProxy& operator=(const HtmlWindowProxy&) = delete;

    // The window is made by the browser thread, with style WS_CHILD |
    // WS_VISIBLE, unless it exists already.
    void Create(int x, int y, int width, int height, HWND parent);
    void Navigate(const wchar_t* url, int flags);
    void Refresh();
    void SetSilent(int value);
    // Lay the control out again where the window is.
    void OnSize();
    // Move the browser window to `rect` (the parent's client coordinates)
    // and lay the control out over it: the browser thread moves its own
    // window, so this thread never waits for it.
    void Layout(const RECT& rect);
    // Give the browser window the keyboard focus.
    void TakeFocus();
    // Destroy the browser window and end the browser thread's loop.
    void Shutdown();
    void EnterGameView();
    // Shows or hides the browser window (the page area) without moving it.
    void Show(bool visible);
    // Zooms the page to `percent` of its own size (10 to 1000), the current
    // page and every later one: the page follows the window's display scale.
    void SetZoom(int percent);

    // Keeps the handle the browser window posted (BrowserWindowMessage).
    void SetWindow(HWND window);
    // That handle while it names a window, else null.
    HWND Window() const;

private:
    // A request for `target` with this thread's copy of its handle.
    HtmlRequest Request(int command) const;
    void Queue(const HtmlRequest& request);

    CMyHtml& target;
    HWND handle = nullptr;
};
