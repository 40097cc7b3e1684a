#pragma once

#include <windows.h>

#include <vector>

class CWindowCtrl;

// One per thread that owns windows: keeps that thread's window objects, its
// GDI+ session and its message loop.
class CAppManager {
public:
    CAppManager() = default;
    CAppManager(const CAppManager&) = delete;
    CAppManager& operator=(const CAppManager&) = delete;

    virtual ~CAppManager();
    virtual bool InitInstance();
    virtual int PreTranslateMessage(MSG* msg);
    virtual LRESULT FallbackHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Registers for the calling thread, starts GDI+, runs InitInstance and,
    // when it asks for it, the loop; then unregisters and stops GDI+.
    void Execute();
    bool Run();
    bool AddWindow(HWND hwnd, CWindowCtrl* window);

    std::vector<CWindowCtrl*> windows;
    DWORD threadId = 0;
    ULONG_PTR gdiplusToken = 0;
    bool running = false;
};

// Process-wide manager registry. One non-recursive lock guards it and the
// registered window-class list.
bool RegisterManager(CAppManager* manager);
void UnregisterManager(DWORD threadId);
CAppManager* FindManager(DWORD threadId);
// The only registered manager, or null once a second one has registered.
CAppManager* SingleManager();

extern HINSTANCE g_instance;
