#pragma once

#include "browser/HtmlRequest.h"
#include "ui/CWindowThread.h"
#include "base/ScopedHandles.h"

#include <list>
#include <mutex>

// The browser thread's manager: its loop serves the requests other threads
// queue, one per HtmlRequestMessage. Owning thread: the browser thread;
// other threads only call PostRequest, WaitUntilReady and PendingRequests.
class CHtmlAppManager : public CWindowThread {
public:
    // A navigate or silent request whose window never gets a control is put
    // back at most this often, then dropped: nothing would ever serve it.
    static constexpr int MaxRequeues = 64;

    CHtmlAppManager();
    ~CHtmlAppManager() override;

    bool InitInstance() override;
    int PreTranslateMessage(MSG* msg) override;

    void PostRequest(const HtmlRequest& request);
    void ServeOneRequest();
    // Waits until the loop's thread, `thread`, is registered and has a
    // message queue, so that posted requests cannot be lost. False when the
    // thread ended first (OLE would not start) or `timeoutMs` passed.
    bool WaitUntilReady(HANDLE thread, DWORD timeoutMs) const;
    size_t PendingRequests();

    std::list<HtmlRequest> requests;

protected:
    virtual void ExecuteRequest(HtmlRequest& request);

private:
    std::mutex lock;
    ScopedHandle ready;
};

// The browser thread's manager; set before that thread starts.
extern CHtmlAppManager* g_htmlManager;
