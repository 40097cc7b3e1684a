#pragma once

#include "browser/HtmlRequest.h"
#include "browser/RequestQueue.h"
#include "ui/CWindowThread.h"
#include "base/ScopedHandles.h"

#include <memory>

class CWakeUpWindow;

// The browser thread's manager: its loop serves the requests other threads
// queue. A request is announced with HtmlRequestMessage to a message-only
// window of the browser thread, and every wake-up serves every request
// queued by then, in order, whichever loop dispatched it. Owning thread:
// the browser thread; other threads only call PostRequest, WaitUntilReady
// and PendingRequests.
class CHtmlAppManager : public CWindowThread {
public:
    // A navigate or silent request whose window never gets a control is put
    // back at most this often, then dropped: nothing would ever serve it.
    static constexpr int MaxRequeues = 64;

    CHtmlAppManager();
    ~CHtmlAppManager() override;

    bool InitInstance() override;

    // Any thread. Requests made before the loop starts are served when it
    // starts.
    void PostRequest(const HtmlRequest& request);
    // Browser thread: serves what was queued when it was called.
    void ServeRequests();
    // Waits until the loop's thread, `thread`, can be woken, so that posted
    // requests are served without delay. False when the thread ended first
    // (OLE would not start) or `timeoutMs` passed.
    bool WaitUntilReady(HANDLE thread, DWORD timeoutMs) const;
    size_t PendingRequests();

protected:
    virtual void ExecuteRequest(HtmlRequest& request);

private:
    void Wake(HWND target);
    void DestroyOwnWindows();

    RequestQueue queue;
    ScopedHandle ready;
};

// The browser thread's manager; set before that thread starts.
extern CHtmlAppManager* g_htmlManager;
