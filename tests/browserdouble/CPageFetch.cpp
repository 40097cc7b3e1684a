#include "CPageFetch.h"

#include <urlmon.h>
#include <wininet.h>

#include <vector>

namespace {

const size_t maxBodyBytes = 16u << 20;
const DWORD timeoutMs = 10000;

// A WinINet handle closed when the scope ends.
class ScopedInternet {
public:
    explicit ScopedInternet(HINTERNET handle) : handle(handle) {}
    ~ScopedInternet()
    {
        if (handle)
            InternetCloseHandle(handle);
    }
    ScopedInternet(const ScopedInternet&) = delete;
    ScopedInternet& operator=(const ScopedInternet&) = delete;
    HINTERNET get() const { return handle; }

private:
    HINTERNET handle;
};

struct ThreadStart {
    std::shared_ptr<CPageFetch> fetch;
    HMODULE module;
};

} // namespace

CPageFetch::CPageFetch(const std::wstring& url, HWND notify, UINT message, WPARAM tag)
    : url(url), notify(notify), message(message), tag(tag)
{
}

std::shared_ptr<CPageFetch> CPageFetch::Start(const std::wstring& url, HWND notify, UINT message, WPARAM tag)
{
    std::shared_ptr<CPageFetch> fetch(new CPageFetch(url, notify, message, tag));
    // The worker holds the DLL loaded until its very last instruction.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&CPageFetch::ThreadMain),
                            &module))
        return nullptr;
    ThreadStart* start = new ThreadStart{fetch, module};
    const HANDLE thread = CreateThread(nullptr, 0, &CPageFetch::ThreadMain, start, 0, nullptr);
    if (!thread) {
        delete start;
        FreeLibrary(module);
        return nullptr;
    }
    CloseHandle(thread);
    return fetch;
}

DWORD WINAPI CPageFetch::ThreadMain(void* parameter)
{
    HMODULE module = nullptr;
    {
        std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
        module = start->module;
        start->fetch->Run();
    }
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

void CPageFetch::Run()
{
    ScopedInternet session(InternetOpenW(L"Mozilla/4.0 (compatible; MSIE 8.0; ScriptedBrowser)",
                                         INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session.get()) {
        error = GetLastError();
    } else {
        DWORD timeout = timeoutMs;
        InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
        InternetSetOptionW(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
        InternetSetOptionW(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;
        ScopedInternet request(InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, flags, 0));
        if (!request.get()) {
            error = GetLastError();
            if (error == 0)
                error = ERROR_INTERNET_INTERNAL_ERROR;
        } else {
            DWORD code = 0;
            DWORD size = sizeof code;
            if (HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr))
                status = static_cast<int>(code);
            std::vector<wchar_t> text(1024);
            size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            BOOL found = HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, text.data(), &size, nullptr);
            if (!found && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                text.resize(size / sizeof(wchar_t) + 1);
                size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
                found = HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, text.data(), &size, nullptr);
            }
            if (found)
                location.assign(text.data(), size / sizeof(wchar_t));
            char chunk[16384];
            DWORD read = 0;
            while (InternetReadFile(request.get(), chunk, sizeof chunk, &read) && read > 0 &&
                   body.size() < maxBodyBytes)
                body.append(chunk, read);
        }
    }
    finished.store(true, std::memory_order_release);
    PostMessageW(notify, message, tag, 0);
}

long CPageFetch::NavigateErrorCode(DWORD winInetError)
{
    switch (winInetError) {
    case ERROR_INTERNET_CANNOT_CONNECT:
        return static_cast<long>(INET_E_CANNOT_CONNECT);
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
        return static_cast<long>(INET_E_RESOURCE_NOT_FOUND);
    case ERROR_INTERNET_TIMEOUT:
        return static_cast<long>(INET_E_CONNECTION_TIMEOUT);
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
        return static_cast<long>(INET_E_UNKNOWN_PROTOCOL);
    case ERROR_INTERNET_INVALID_URL:
        return static_cast<long>(INET_E_INVALID_URL);
    default:
        return static_cast<long>(INET_E_DOWNLOAD_FAILURE);
    }
}
