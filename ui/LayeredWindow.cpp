#include "ui/LayeredWindow.h"

#include "base/ScopedHandles.h"

namespace {

// What both pushes hand the system: the window's place, the whole picture
// from its top-left corner, per-pixel alpha times `alpha`.
struct PushArguments {
    PushArguments(HWND window, int width, int height, BYTE alpha)
        : screenDc(nullptr), size{width, height}, blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA}
    {
        RECT windowRect = {0, 0, 0, 0};
        GetWindowRect(window, &windowRect);
        destination = POINT{windowRect.left, windowRect.top};
    }
    ScopedWindowDc screenDc;
    POINT destination = {0, 0};
    SIZE size;
    POINT source = {0, 0};
    BLENDFUNCTION blend;
};

} // namespace

UpdateLayeredWindowFn MakeLayered(HWND window)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return nullptr;
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    return reinterpret_cast<UpdateLayeredWindowFn>(GetProcAddress(user32, "UpdateLayeredWindow"));
}

UpdateLayeredWindowIndirectFn LayeredIndirectFunction()
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return nullptr;
    return reinterpret_cast<UpdateLayeredWindowIndirectFn>(
        GetProcAddress(user32, "UpdateLayeredWindowIndirect"));
}

bool PushLayered(UpdateLayeredWindowFn update, HWND window, HDC memoryDc, int width, int height,
                 BYTE alpha)
{
    if (!update)
        return false;
    PushArguments a(window, width, height, alpha);
    return update(window, a.screenDc.get(), &a.destination, &a.size, memoryDc, &a.source, 0, &a.blend,
           ULW_ALPHA) != FALSE;
}

bool PushLayeredDirty(UpdateLayeredWindowIndirectFn indirect, UpdateLayeredWindowFn update,
                      HWND window, HDC memoryDc, int width, int height, BYTE alpha,
                      const RECT& dirty)
{
    if (indirect) {
        PushArguments a(window, width, height, alpha);
        UPDATELAYEREDWINDOWINFO info = {};
        info.cbSize = sizeof(info);
        info.hdcDst = a.screenDc.get();
        info.pptDst = &a.destination;
        info.psize = &a.size;
        info.hdcSrc = memoryDc;
        info.pptSrc = &a.source;
        info.pblend = &a.blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = &dirty;
        if (indirect(window, &info))
            return true;
    }
    return PushLayered(update, window, memoryDc, width, height, alpha);
}
