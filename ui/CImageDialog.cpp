#include "ui/CImageDialog.h"

#include "ui/CWindowThread.h"

CImageDialog::CImageDialog()
{
    SetWindowClassName(L"ImageDialog");
}

LRESULT CImageDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        modalRunning = false;
        return CImageCtrl::HandleMessage(message, wParam, lParam);
    default:
        return CImageCtrl::HandleMessage(message, wParam, lParam);
    }
}

bool CImageDialog::RunModalLoop()
{
    // Without a window nothing would ever end the loop.
    if (!manager || manager->threadId != GetCurrentThreadId() || modalRunning || !hwnd ||
        !IsWindow(hwnd))
        return false;
    CWindowThread& owner = *manager;
    const HWND self = hwnd;
    modalRunning = true;
    MSG msg = {};
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    while (modalRunning && got > 0) {
        CWindowCtrl::OfferMessage(owner, msg);
        if (msg.message == WM_DESTROY && msg.hwnd == self) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        // hwnd is cleared when the window is gone.
        if (!hwnd || !IsWindow(hwnd))
            break;
        // Stopped by a handler: do not take a message that nobody would
        // dispatch.
        if (!modalRunning)
            break;
        got = GetMessageW(&msg, nullptr, 0, 0);
    }
    // Hand WM_QUIT on so an enclosing loop ends too.
    if (got == 0)
        PostQuitMessage(static_cast<int>(msg.wParam));
    modalRunning = false;
    return true;
}
