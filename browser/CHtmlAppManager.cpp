#include "browser/CHtmlAppManager.h"

#include "base/AppMessages.h"
#include "browser/CMyHtml.h"
#include "browser/CWakeUpWindow.h"

#include <strsafe.h>

CHtmlAppManager* g_htmlManager = nullptr;

CHtmlAppManager::CHtmlAppManager() : ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CHtmlAppManager::~CHtmlAppManager()
{
    queue.Close();
}

bool CHtmlAppManager::InitInstance()
{
    {
        CWakeUpWindow wakeUp([this] { ServeRequests(); });
        // What was queued before now gets its wake-up here.
        Wake(queue.Open(wakeUp.handle()));
        SetEvent(ready.get());
        Run();
        queue.Close();
        DestroyOwnWindows();
    }
    return false;
}

void CHtmlAppManager::DestroyOwnWindows()
{
    // The control must die on this thread: destroy what is left of our
    // windows here rather than leave it to another thread. One pass over a
    // copy: a window that will not go cannot keep this loop alive.
    const std::vector<ThreadWindow*> left(windows.rbegin(), windows.rend());
    for (ThreadWindow* window : left) {
        const HWND handle = window->WindowHandle();
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
    }
    windows.clear();
}

void CHtmlAppManager::PostRequest(const HtmlRequest& request)
{
    Wake(queue.Push(request));
}

void CHtmlAppManager::Wake(HWND target)
{
    if (target && !PostMessageW(target, HtmlRequestMessage, 0, 0))
        queue.WakeUpLost();
}

void CHtmlAppManager::ServeRequests()
{
    // Requests put back while serving wait for their own wake-up, so one
    // that can never be served does not keep this loop going.
    for (size_t left = queue.BeginServing(); left > 0; --left) {
        HtmlRequest request;
        if (!queue.PopFront(request))
            return;
        ExecuteRequest(request);
    }
}

bool CHtmlAppManager::WaitUntilReady(HANDLE thread, DWORD timeoutMs) const
{
    const HANDLE events[] = {ready.get(), thread};
    return WaitForMultipleObjects(thread ? 2 : 1, events, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

size_t CHtmlAppManager::PendingRequests()
{
    return queue.Size();
}

void CHtmlAppManager::ExecuteRequest(HtmlRequest& request)
{
    if (request.command == ShutdownRequest) {
        DestroyOwnWindows();
        PostQuitMessage(0);
        return;
    }
    CMyHtml* target = request.target;
    if (!target)
        return;
    const bool attached = target->browser.HostWindow() != nullptr;

    auto requeue = [&] {
        if (++request.requeued > MaxRequeues) {
            wchar_t line[128];
            StringCchPrintfW(line, 128, L"browser request %d dropped: no control", request.command);
            OutputDebugStringW(line);
            return;
        }
        PostRequest(request);
    };

    switch (request.command) {
    case CreateWindowRequest:
        if (!IsWindow(target->hwnd))
            target->Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, request.x, request.y,
                           request.width, request.height, request.window);
        return;
    case LayoutRequest:
        target->MoveTo(RECT{request.x, request.y, request.x + request.width, request.y + request.height});
        return;
    case GameViewRequest:
        target->inGame = true;
        if (attached)
            target->OnSize();
        return;
    case VisibilityRequest: {
        if (!IsWindow(target->hwnd))
            return;
        // Hidden: the parent draws in its place. Its last paint was clipped
        // to around this window, so that area is marked for it again (only
        // marked: nothing waits for the parent's thread).
        RECT area = {0, 0, 0, 0};
        const HWND parent = GetParent(target->hwnd);
        GetWindowRect(target->hwnd, &area);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
        ShowWindow(target->hwnd, request.value ? SW_SHOWNA : SW_HIDE);
        if (!request.value && parent)
            InvalidateRect(parent, &area, FALSE);
        return;
    }
    case FocusRequest:
        if (IsWindow(target->hwnd))
            SetFocus(target->hwnd);
        return;
    case NavigateRequest:
        if (attached)
            target->Navigate(request.url.c_str(), request.flags);
        else
            requeue();
        return;
    case RefreshRequest:
        if (attached)
            target->Refresh();
        return;
    case SilentRequest:
        if (attached)
            target->SetSilent(request.value);
        else
            requeue();
        return;
    case ZoomRequest:
        target->SetZoom(request.value);
        return;
    default:
        return;
    }
}
