#pragma once

#include "browser/CWebBrowser.h"
#include "ui/CWindowCtrl.h"

#include <atomic>

// Child window of the game window that hosts the web-browser control. Its
// window lives on the browser thread; the operations below may be called
// from any thread and are queued to the browser thread when needed.
class CMyHtml : public CWindowCtrl {
public:
    CMyHtml();
    ~CMyHtml() override;

    using CWindowCtrl::Create;
    HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                int x, int y, int width, int height, HWND parent) override;
    int PreTranslateMessage(MSG* msg) override;
    void OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int width, int height) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Navigate(const wchar_t* url, int flags);
    void Refresh();
    void SetSilent(int value);
    // Lays the control (and a Flash window in it) over the client area. From
    // another thread it is posted to the browser window and runs there.
    void OnSize();

    // The first descendant of `parent` of class "MacromediaFlashPlayerActiveX".
    static HWND FindFlashWindow(HWND parent);

    // Set by the game window when it enters the game view; read here.
    std::atomic<bool> inGame{false};
    CWebBrowser browser;

private:
    void Layout();
};

