#include "ui/CImageCtrlEx.h"

CImageCtrlEx::CImageCtrlEx()
{
    SetWindowClassName(L"ImageList");
}

CImageCtrlEx::~CImageCtrlEx() = default;

LRESULT CImageCtrlEx::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        // Before the painter sees its first message.
        painter.ownerWindow = hwnd;
        break;
    default:
        break;
    }
    return painter.HandleMessage(message, wParam, lParam) ? 1 : 0;
}
