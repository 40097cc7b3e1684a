#include "TestApp.h"

#include "ui/CWindowCtrl.h"

TestApp::TestApp()
{
    g_instance = GetModuleHandleW(nullptr);
    registered = RegisterManager(&appManager);
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok)
        gdiplusToken = 0;
}

TestApp::~TestApp()
{
    // Windows still open would reach a dead manager; close them first.
    while (!appManager.windows.empty()) {
        const HWND h = appManager.windows.back()->WindowHandle();
        if (h && IsWindow(h))
            DestroyWindow(h);
        else
            appManager.windows.pop_back();
    }
    if (gdiplusToken)
        Gdiplus::GdiplusShutdown(gdiplusToken);
    if (registered)
        UnregisterManager(GetCurrentThreadId());
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}
