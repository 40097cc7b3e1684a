#include "browser/CHtmlAppManager.h"

#include "base/AppMessages.h"
#include "browser/CMyHtml.h"

#include <strsafe.h>

CHtmlAppManager* g_htmlManager = nullptr;

CHtmlAppManager::CHtmlAppManager() : ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CHtmlAppManager::~CHtmlAppManager()
{
    std::lock_guard<std::mutex> guard(lock);
    requests.clear();
}

bool CHtmlAppManager::InitInstance()
{
    // Make sure the thread has a queue before anyone is told to post to it.
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(ready.get());
    Run();

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
    return false;
}

int CHtmlAppManager::PreTranslateMessage(MSG* msg)
{
    if (msg->message != HtmlRequestMessage || msg->hwnd)
        return 0;
    ServeOneRequest();
    return 1;
}

void CHtmlAppManager::PostRequest(const HtmlRequest& request)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        requests.push_back(request);
    }
    PostThreadMessageW(threadId, HtmlRequestMessage, 0, 0);
}

void CHtmlAppManager::ServeOneRequest()
{
    HtmlRequest request;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (requests.empty())
            return;
        request = std::move(requests.front());
        requests.pop_front();
    }
    ExecuteRequest(request);
}

bool CHtmlAppManager::WaitUntilReady(HANDLE thread, DWORD timeoutMs) const
{
    const HANDLE events[] = {ready.get(), thread};
    return WaitForMultipleObjects(thread ? 2 : 1, events, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

size_t CHtmlAppManager::PendingRequests()
{
    std::lock_guard<std::mutex> guard(lock);
    return requests.size();
}

void CHtmlAppManager::ExecuteRequest(HtmlRequest& request)
{
    CMyHtml* target = request.target;
    if (!target)
        return;
    const bool attached = target->browser.hostWindow != nullptr;

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
        if (attached)
            target->OnSize();
        return;
    case GameViewRequest:
        target->inGame = true;
        if (attached)
            target->OnSize();
        return;
    case VisibilityRequest:
        if (!IsWindow(target->hwnd))
            return;
        ShowWindow(target->hwnd, request.value ? SW_SHOWNA : SW_HIDE);
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
    default:
        return;
    }
}
