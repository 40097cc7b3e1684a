#include "ui/CWindowThread.h"

#include <gdiplus.h>

#include <algorithm>
#include <atomic>

HINSTANCE g_instance = nullptr;

std::mutex& RegistryMutex()
{
    // Function-local so that windows created during static initialisation
    // of another unit still find a constructed lock.
    static std::mutex lock;
    return lock;
}

namespace {

std::vector<CWindowThread*>& Registry()
{
    static std::vector<CWindowThread*> managers;
    return managers;
}

// Read without the lock by the window procedure, hence atomic.
std::atomic<CWindowThread*> singleManager{nullptr};

} // namespace

bool RegisterManager(CWindowThread* manager)
{
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& managers = Registry();
    for (const CWindowThread* m : managers) {
        if (m->threadId == self)
            return false;
    }
    const bool wasEmpty = managers.empty();
    manager->threadId = self;
    managers.push_back(manager);
    singleManager.store(wasEmpty ? manager : nullptr);
    return true;
}

void UnregisterManager(DWORD threadId)
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& managers = Registry();
    auto it = std::find_if(managers.begin(), managers.end(),
                           [threadId](const CWindowThread* m) { return m->threadId == threadId; });
    if (it != managers.end())
        managers.erase(it);
    if (managers.empty())
        singleManager.store(nullptr);
}

CWindowThread* FindManager(DWORD threadId)
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    for (CWindowThread* m : Registry()) {
        if (m->threadId == threadId)
            return m;
    }
    return nullptr;
}

CWindowThread* SingleManager()
{
    return singleManager.load();
}

CWindowThread::~CWindowThread() = default;

bool CWindowThread::InitInstance()
{
    return true;
}

int CWindowThread::PreTranslateMessage(MSG*)
{
    return 0;
}

LRESULT CWindowThread::FallbackHandler(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

void CWindowThread::Execute()
{
    if (!RegisterManager(this))
        return;
    g_instance = GetModuleHandleW(nullptr);

    Gdiplus::GdiplusStartupInput input;
    const bool gdiplusStarted =
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) == Gdiplus::Ok;

    if (InitInstance() && !windows.empty())
        Run();

    UnregisterManager(threadId);
    if (gdiplusStarted)
        Gdiplus::GdiplusShutdown(gdiplusToken);
    gdiplusToken = 0;
}

bool CWindowThread::Run()
{
    if (GetCurrentThreadId() != threadId || running)
        return false;
    running = true;
    MSG msg;
    // GetMessageW answers -1 on failure; treat it like the end of the loop
    // rather than spinning on it.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        OfferMessage(msg);
    running = false;
    return true;
}

bool CWindowThread::AddWindow(HWND hwnd, ThreadWindow* window)
{
    if (FindWindowObject(hwnd))
        return false;
    windows.push_back(window);
    return true;
}

ThreadWindow* CWindowThread::FindWindowObject(HWND hwnd) const
{
    if (!hwnd)
        return nullptr;
    for (ThreadWindow* w : windows) {
        if (w->WindowHandle() == hwnd)
            return w;
    }
    return nullptr;
}

bool CWindowThread::PreTranslate(MSG& msg)
{
    // Look the object up again at every step: a handler may destroy windows.
    for (HWND h = msg.hwnd; h; h = GetParent(h)) {
        ThreadWindow* object = FindWindowObject(h);
        if (object && object->PreTranslateMessage(&msg))
            return true;
    }
    return PreTranslateMessage(&msg) != 0;
}

void CWindowThread::OfferMessage(MSG& msg)
{
    if (PreTranslate(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}
