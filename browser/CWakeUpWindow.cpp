#include "browser/CWakeUpWindow.h"

#include "base/AppMessages.h"

#include <utility>

namespace {

constexpr const wchar_t* kClassName = L"LumarionWakeUp";

ATOM RegisterWakeUpClass(WNDPROC procedure)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    const ATOM atom = RegisterClassExW(&windowClass);
    // Another instance (or thread) registered it first.
    if (!atom && GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return 1;
    return atom;
}

} // namespace

CWakeUpWindow::CWakeUpWindow(std::function<void()> onWakeUp) : onWakeUp(std::move(onWakeUp))
{
    if (!RegisterWakeUpClass(&CWakeUpWindow::WindowProc))
        return;
    window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), this);
}

CWakeUpWindow::~CWakeUpWindow()
{
    if (window)
        DestroyWindow(window);
}

LRESULT CALLBACK CWakeUpWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case HtmlRequestMessage: {
        auto* self = reinterpret_cast<CWakeUpWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->onWakeUp)
            self->onWakeUp();
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
