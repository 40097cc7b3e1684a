#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

// One HTTP GET on a worker thread, without following redirects and never
// answered from the cache, so the double sees every address of a redirect
// chain and the test site sees every request. When it is done the worker
// posts `message` (wParam = the caller's tag) to `notify`; the object stays
// alive as long as either side holds it, so a caller that lost interest just
// drops its reference.
class CPageFetch {
public:
    static std::shared_ptr<CPageFetch> Start(const std::wstring& url, HWND notify, UINT message, WPARAM tag);

    CPageFetch(const CPageFetch&) = delete;
    CPageFetch& operator=(const CPageFetch&) = delete;

    bool Finished() const { return finished.load(std::memory_order_acquire); }
    const std::wstring& Url() const { return url; }
    // Valid once Finished(): a WinINet error (0 when a response came), the
    // HTTP status, the Location header and the body.
    DWORD Error() const { return error; }
    int Status() const { return status; }
    const std::wstring& Location() const { return location; }
    const std::string& Body() const { return body; }

    // The NavigateError status for a fetch that got no response.
    static long NavigateErrorCode(DWORD winInetError);

private:
    CPageFetch(const std::wstring& url, HWND notify, UINT message, WPARAM tag);
    static DWORD WINAPI ThreadMain(void* parameter);
    void Run();

    const std::wstring url;
    const HWND notify;
    const UINT message;
    const WPARAM tag;
    DWORD error = 0;
    int status = 0;
    std::wstring location;
    std::string body;
    std::atomic<bool> finished{false};
};
