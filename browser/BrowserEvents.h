#pragma once

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <string>

// Decodes the web-browser control's DWebBrowserEvents2 calls into the
// callbacks below, whatever VARIANT types the arguments come in: by value,
// by reference, or inside a referenced VARIANT. Every new window is
// cancelled. Owning thread: the control's (the browser thread); tests feed
// it hand-built DISPPARAMS.
class BrowserEvents {
public:
    using TitleChangeCallback = std::function<void(const wchar_t* title)>;
    using DocumentCompleteCallback = std::function<void(IDispatch* frame, const wchar_t* url)>;
    using NavigateCompleteCallback = std::function<void(const wchar_t* url)>;
    using BeforeNavigateCallback = std::function<void(IDispatch* frame, const wchar_t* url, short* cancel)>;
    using NewWindowCallback = std::function<void(IDispatch** ppDisp, short*& cancel, unsigned long flags,
                                                 wchar_t* urlContext, wchar_t* url)>;
    using NavigateErrorCallback = std::function<void(const wchar_t* url, long status)>;
    using QuitCallback = std::function<void()>;
    // True when `frame` is the control itself (its top-level page) and its
    // failures are to be reported.
    using TopLevelTest = std::function<bool(IDispatch* frame)>;

    // `onNavigated` runs on every NavigateComplete2; `onTopLevelPage` on
    // those and every DocumentComplete of the top-level page, before the
    // callbacks below.
    BrowserEvents(TopLevelTest isTopLevel, std::function<void()> onNavigated, std::function<void()> onTopLevelPage);
    BrowserEvents(const BrowserEvents&) = delete;
    BrowserEvents& operator=(const BrowserEvents&) = delete;

    // IDispatch::Invoke's answer for event `id`: S_OK for every event known
    // here, DISP_E_MEMBERNOTFOUND for the others.
    HRESULT Dispatch(DISPID id, const DISPPARAMS* params);

    void SetOnTitleChange(TitleChangeCallback callback) { onTitleChange = std::move(callback); }
    void SetOnBeforeNavigate(BeforeNavigateCallback callback) { onBeforeNavigate = std::move(callback); }
    void SetOnNavigateComplete(NavigateCompleteCallback callback) { onNavigateComplete = std::move(callback); }
    void SetOnDocumentComplete(DocumentCompleteCallback callback) { onDocumentComplete = std::move(callback); }
    void SetOnNewWindow(NewWindowCallback callback) { onNewWindow = std::move(callback); }
    void SetOnNavigateError(NavigateErrorCallback callback) { onNavigateError = std::move(callback); }
    void SetOnQuit(QuitCallback callback) { onQuit = std::move(callback); }

private:
    // One handler per event; `args` is last-argument-first.
    void TitleChange(const VARIANT* args, UINT count);
    void BeforeNavigate(const VARIANT* args, UINT count);
    void NavigateComplete(const VARIANT* args, UINT count);
    void DocumentComplete(const VARIANT* args, UINT count);
    void NewWindow(const VARIANT* args, UINT count);
    void NavigateError(const VARIANT* args, UINT count);
    void Quit();
    // Runs onTopLevelPage when `frame` is the control itself.
    void TopLevelPage(const VARIANT& frame);

    TopLevelTest isTopLevel;
    std::function<void()> onNavigated;
    std::function<void()> onTopLevelPage;
    TitleChangeCallback onTitleChange;
    BeforeNavigateCallback onBeforeNavigate;
    NavigateCompleteCallback onNavigateComplete;
    DocumentCompleteCallback onDocumentComplete;
    NewWindowCallback onNewWindow;
    NavigateErrorCallback onNavigateError;
    QuitCallback onQuit;
    // The last address whose BeforeNavigate2 a callback cancelled.
    std::wstring cancelledUrl;
};
