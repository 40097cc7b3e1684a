#include "browser/HtmlWindowProxy.h"

#include "browser/CHtmlAppManager.h"
#include "browser/HtmlRequest.h"

HtmlWindowProxy::HtmlWindowProxy(CMyHtml& target) : target(target) {}

void HtmlWindowProxy::Create(int x, int y, int width, int height, HWND parent)
{
    HtmlRequest request = Request(CreateWindowRequest);
    request.window = parent;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    Queue(request);
}

void HtmlWindowProxy::Navigate(const wchar_t* url, int flags)
{
    if (!url)
        return;
    HtmlRequest request = Request(NavigateRequest);
    request.url = url;
    request.flags = flags;
    Queue(request);
}

void HtmlWindowProxy::Refresh()
{
    Queue(Request(RefreshRequest));
}

void HtmlWindowProxy::SetSilent(int value)
{
    HtmlRequest request = Request(SilentRequest);
    request.value = value;
    Queue(request);
}

void HtmlWindowProxy::OnSize()
{
    Queue(Request(LayoutRequest));
}

void HtmlWindowProxy::Layout(const RECT& rect)
{
    HtmlRequest request = Request(LayoutRequest);
    request.x = rect.left;
    request.y = rect.top;
    request.width = rect.right - rect.left;
    request.height = rect.bottom - rect.top;
    Queue(request);
}

void HtmlWindowProxy::TakeFocus()
{
    Queue(Request(FocusRequest));
}

void HtmlWindowProxy::Shutdown()
{
    Queue(Request(ShutdownRequest));
}

void HtmlWindowProxy::EnterGameView()
{
    Queue(Request(GameViewRequest));
}

void HtmlWindowProxy::Show(bool visible)
{
    HtmlRequest request = Request(VisibilityRequest);
    request.value = visible ? 1 : 0;
    Queue(request);
}

void HtmlWindowProxy::SetZoom(int percent)
{
    HtmlRequest request = Request(ZoomRequest);
    request.value = percent;
    Queue(request);
}

void HtmlWindowProxy::SetWindow(HWND window)
{
    handle = window;
}

HWND HtmlWindowProxy::Window() const
{
    return handle && IsWindow(handle) ? handle : nullptr;
}

HtmlRequest HtmlWindowProxy::Request(int command) const
{
    HtmlRequest request;
    request.command = command;
    request.window = handle;
    request.target = &target;
    return request;
}

void HtmlWindowProxy::Queue(const HtmlRequest& request)
{
    if (g_htmlManager)
        g_htmlManager->PostRequest(request);
}
