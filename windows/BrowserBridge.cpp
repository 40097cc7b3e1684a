#include "windows/BrowserBridge.h"

#include "base/AppMessages.h"
#include "base/ComPtr.h"
#include "windows/GameAddress.h"

#include <mshtml.h>

namespace {

constexpr int kNavNoHistory = 2;

} // namespace

void BrowserBridge::Open(HWND game, const RECT& client, const std::wstring& startUrl)
{
    inbox.Open(game);
    // Bound before the browser window is asked for: the request queue hands
    // them over to the browser thread.
    CWebBrowser& browser = browserWindow.browser;
    browser.SetOnNavigateComplete([this](const wchar_t* url) { OnNavigateComplete(url); });
    browser.SetOnNewWindow([this](IDispatch** ppDisp, short*& cancel, unsigned long flags, wchar_t* urlContext,
                                  wchar_t* url) { OnNewWindow(ppDisp, cancel, flags, urlContext, url); });
    browser.SetOnDocumentComplete([this](IDispatch* frame, const wchar_t* url) { OnDocumentComplete(frame, url); });
    browser.SetOnNavigateError([this](const wchar_t* url, long status) { OnNavigateError(url, status); });

    browserProxy.Create(client.left, client.top, client.right - client.left, client.bottom - client.top, game);
    if (!startUrl.empty())
        browserProxy.Navigate(startUrl.c_str(), kNavNoHistory);
    browserProxy.SetSilent(1);
}

void BrowserBridge::Close()
{
    inbox.Close();
}

void BrowserBridge::OnNavigateComplete(const wchar_t* url)
{
    // A timer only works on its own thread's windows: the game window
    // starts it itself.
    if (url && IsGameAddress(url))
        inbox.Post(GameAddressMessage, url);
    if (url)
        inbox.Post(PageLoadedMessage, url);
    browserWindow.OnSize();
}

void BrowserBridge::OnNavigateError(const wchar_t* url, long)
{
    if (url)
        inbox.Post(NavigateFailedMessage, url);
}

void BrowserBridge::OnNewWindow(IDispatch**, short*& cancel, unsigned long, wchar_t*, wchar_t* url)
{
    // Pages never get a window of ours; web addresses go to the user's
    // browser (opened by the game window's thread), anything else is dropped.
    if (url)
        inbox.Post(OpenAddressMessage, url);
    if (cancel)
        *cancel = VARIANT_TRUE;
}

void BrowserBridge::OnDocumentComplete(IDispatch*, const wchar_t*)
{
    ComPtr<IHTMLDocument2> document(browserWindow.browser.GetDocument());
    if (document && browserWindow.inGame)
        browserWindow.OnSize();
}
