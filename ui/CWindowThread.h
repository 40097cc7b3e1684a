#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

// What a thread's registry and loop need of a window object; the window
// base implements it, so the loop never needs to know the base.
class ThreadWindow {
public:
    virtual HWND WindowHandle() const = 0;
    // Nonzero when the object consumed the message before dispatch.
    virtual int PreTranslateMessage(MSG* msg) = 0;

protected:
    ~ThreadWindow() = default;
};

// The manager of one thread that owns windows: that thread's window
// objects, its GDI+ session and its message loop. It belongs to that thread
// (only the registry below is shared, under its lock). The window base finds
// a window's object through it; the application's managers derive from it.
class CWindowThread {
public:
    CWindowThread() = default;
    CWindowThread(const CWindowThread&) = delete;
    CWindowThread& operator=(const CWindowThread&) = delete;

    virtual ~CWindowThread();
    virtual bool InitInstance();
    virtual int PreTranslateMessage(MSG* msg);
    virtual LRESULT FallbackHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Registers for the calling thread, starts GDI+, runs InitInstance and,
    // when it asks for it, the loop; then unregisters and stops GDI+.
    void Execute();
    bool Run();
    bool AddWindow(HWND hwnd, ThreadWindow* window);
    // The registered window of `hwnd`, or null.
    ThreadWindow* FindWindowObject(HWND hwnd) const;
    // Pre-translation walk: the registered windows from msg.hwnd up to the
    // top, innermost first, then this manager. True when someone consumed it.
    bool PreTranslate(MSG& msg);
    // The walk, then translate and dispatch what nobody consumed.
    void OfferMessage(MSG& msg);

    std::vector<ThreadWindow*> windows;
    DWORD threadId = 0;
    ULONG_PTR gdiplusToken = 0;
    bool running = false;
};

// Process-wide manager registry: at most one manager per thread.
bool RegisterManager(CWindowThread* manager);
void UnregisterManager(DWORD threadId);
CWindowThread* FindManager(DWORD threadId);
// The only registered manager, or null once a second one has registered.
CWindowThread* SingleManager();

// The one process-wide lock shared by the manager registry and the window
// class list. Never held while a window message is sent.
std::mutex& RegistryMutex();

// The module the windows belong to; set by Execute.
extern HINSTANCE g_instance;
