#pragma once

#include "ui/CWindowThread.h"

#include <windows.h>

#include <string>
#include <vector>

// Root of every window class: owns one window, routes its messages to the
// virtual handlers and unlinks itself when the window dies. Owning thread:
// the one that creates the window (its manager's thread); other threads
// only post to it.
class CWindowCtrl : public ThreadWindow {
public:
    CWindowCtrl();
    CWindowCtrl(const CWindowCtrl&) = delete;
    CWindowCtrl& operator=(const CWindowCtrl&) = delete;

    virtual ~CWindowCtrl();
    virtual HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                        DWORD style, const RECT& rect, HWND parent);
    virtual HWND Create(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                        DWORD style, int x, int y, int width, int height, HWND parent);
    virtual int DoModal(const wchar_t* templateName, HWND parent);
    virtual void SetWindowClassName(const wchar_t* name);
    int PreTranslateMessage(MSG* msg) override;
    HWND WindowHandle() const override;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void OnCreate(CREATESTRUCTW* create);
    virtual void OnDestroy();
    virtual void OnMove(int x, int y);
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnWindowPosChanging(WINDOWPOS* pos);
    virtual LRESULT OnNcHitTest(POINT screenPoint);
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnTimer(UINT_PTR timerId);
    virtual void OnSetCursor(HWND cursorWindow);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterWindowClass(const wchar_t* name);
    // Names registered so far, in order (a snapshot, taken under the lock).
    static std::vector<std::wstring> RegisteredClassNames();

    // Pre-translation walk: the linked windows from msg.hwnd up to the top,
    // innermost first, then the manager. True when someone consumed it.
    static bool PreTranslate(CWindowThread& manager, MSG& msg);
    // The walk, then translate and dispatch what nobody consumed.
    static void OfferMessage(CWindowThread& manager, MSG& msg);

    HWND hwnd = nullptr;
    CWindowThread* manager = nullptr;
    int modalResult = 0;
    wchar_t className[64];

private:
    // The dispatch table; `window` is the real handle, which stays valid
    // for default processing after WM_NCDESTROY has cleared `hwnd`.
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
