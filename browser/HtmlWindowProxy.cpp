#include "browser/HtmlWindowProxy.h"

#include "browser/CHtmlAppManager.h"
#include "browser/HtmlRequest.h"

HtmlWindowProxy::HtmlWindowProxy(CMyHtml& target) : target(target) {}

void HtmlWindowProxy::Create(int x, int y, int width, int height, HWND parent)
{
    if (!g_htmlManager)
        return;
    HtmlRequest request;
    request.command = CreateWindowRequest;
    request.window = parent;
    request.target = &target;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    g_htmlManager->PostRequest(request);
}

void HtmlWindowProxy::Navigate(const wchar_t* url, int flags)
{
    if (!url || !g_htmlManager)
        return;
    HtmlRequest request;
    request.command = NavigateRequest;
    request.window = handle;
    request.target = &target;
    request.url = url;
    request.flags = flags;
    g_htmlManager->PostRequest(request);
}

void HtmlWindowProxy::Refresh()
{
    Queue(RefreshRequest);
}

void HtmlWindowProxy::SetSilent(int value)
{
    if (!g_htmlManager)
        return;
    HtmlRequest request;
    request.command = SilentRequest;
    request.window = handle;
    request.target = &target;
    request.value = value;
    g_htmlManager->PostRequest(request);
}

void HtmlWindowProxy::OnSize()
{
    Queue(LayoutRequest);
}

void HtmlWindowProxy::EnterGameView()
{
    Queue(GameViewRequest);
}

void HtmlWindowProxy::SetWindow(HWND window)
{
    handle = window;
}

HWND HtmlWindowProxy::Window() const
{
    return handle && IsWindow(handle) ? handle : nullptr;
}

void HtmlWindowProxy::Queue(int command)
{
    if (!g_htmlManager)
        return;
    HtmlRequest request;
    request.command = command;
    request.window = handle;
    request.target = &target;
    g_htmlManager->PostRequest(request);
}
