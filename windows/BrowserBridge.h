#pragma once

#include "browser/CMyHtml.h"
#include "browser/HtmlWindowProxy.h"
#include "windows/BrowserInbox.h"

#include <windows.h>

#include <string>
#include <vector>

// The game window's side of the browser: the only code that runs on both
// threads. The main thread reaches the browser window through requests
// (proxy); the browser window's callbacks, run on the browser thread, leave
// copies of addresses in the inbox and wake the game window with a posted
// message. Owned by the game window; the browser window object is built
// before the browser thread is asked to serve it and destroyed after that
// thread has ended.
class BrowserBridge {
public:
    BrowserBridge() = default;
    BrowserBridge(const BrowserBridge&) = delete;
    BrowserBridge& operator=(const BrowserBridge&) = delete;

    // Main thread, from the game window's WM_CREATE: binds the callbacks,
    // then asks for the browser window over `client`, the start page and
    // silent mode.
    void Open(HWND game, const RECT& client, const std::wstring& startUrl);
    // Main thread, as the game window goes: nothing more is handed over.
    void Close();
    // Main thread: the addresses waiting under `message`, oldest first.
    std::vector<std::wstring> Take(UINT message) { return inbox.Take(message); }
    HtmlWindowProxy& proxy() { return browserProxy; }
    // For tests: the browser window object (touched by the browser thread).
    const CMyHtml& window() const { return browserWindow; }

    // Browser thread: the control's callbacks.
    void OnNavigateComplete(const wchar_t* url);
    // The page's own navigation failed (frames and cancelled ones never
    // come here).
    void OnNavigateError(const wchar_t* url, long status);
    void OnNewWindow(IDispatch** ppDisp, short*& cancel, unsigned long flags, wchar_t* urlContext, wchar_t* url);
    void OnDocumentComplete(IDispatch* frame, const wchar_t* url);

private:
    CMyHtml browserWindow;
    HtmlWindowProxy browserProxy{browserWindow};
    BrowserInbox inbox;
};
