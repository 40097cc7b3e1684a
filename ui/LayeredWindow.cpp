#include "ui/LayeredWindow.h"

#include "base/ScopedHandles.h"

UpdateLayeredWindowFn MakeLayered(HWND window)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return nullptr;
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    return reinterpret_cast<UpdateLayeredWindowFn>(GetProcAddress(user32, "UpdateLayeredWindow"));
}

void PushLayered(UpdateLayeredWindowFn update, HWND window, HDC memoryDc, int width, int height,
                 BYTE alpha)
{
    if (!update)
        return;
    RECT windowRect = {0, 0, 0, 0};
    GetWindowRect(window, &windowRect);
    POINT destination = {windowRect.left, windowRect.top};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    ScopedWindowDc screenDc(nullptr);
    update(window, screenDc.get(), &destination, &size, memoryDc, &source, 0, &blend, ULW_ALPHA);
}
