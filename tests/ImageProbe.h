#pragma once

// Probes for image-window tests: a window class that records the painter's
// hooks, a button that counts its draws and traps any use after deletion,
// and a stand-in for UpdateLayeredWindow that keeps the pushed pixels.

#include "ui/CImageButton.h"
#include "ui/CImageDialog.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

// A fault (such as touching a deleted ProbeButton) ends the program at once
// with a message, instead of waiting on Wine's crash dialog.
inline void ExitOnCrash()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter([](EXCEPTION_POINTERS* e) -> LONG {
        std::fprintf(stderr, "fatal exception 0x%08lx at %p\n",
                     static_cast<unsigned long>(e->ExceptionRecord->ExceptionCode),
                     e->ExceptionRecord->ExceptionAddress);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
        return EXCEPTION_EXECUTE_HANDLER;
    });
}

// Lives on pages of its own that become inaccessible when it is deleted,
// so any read of a removed button faults at once instead of going unseen.
class ProbeButton : public CImageButton {
public:
    ProbeButton(HWND owner, int id, const RECT& rect, int normal = 209, int hover = 210,
                int pressed = 152)
        : CImageButton(owner, id, rect, L"")
    {
        SetImages(normal, hover, pressed, normal);
    }

    void Draw(Gdiplus::Graphics& graphics, POINT cursor, int pressed, const RECT* overrideRect) override
    {
        ++draws;
        CImageButton::Draw(graphics, cursor, pressed, overrideRect);
    }

    static void* operator new(std::size_t size)
    {
        void* p = VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    static void operator delete(void* p, std::size_t size)
    {
        // Never handed back: the pages stay reserved and unreadable.
        DWORD old = 0;
        if (p)
            VirtualProtect(p, size, PAGE_NOACCESS, &old);
    }

    int draws = 0;
};

// Adds a ProbeButton to the painter's list (after any existing buttons).
inline ProbeButton* AddProbe(CImagePaint& painter, int id, const RECT& rect)
{
    auto* button = new ProbeButton(painter.ownerWindow, id, rect);
    painter.buttons.push_back(std::unique_ptr<CImageButton>(button));
    return button;
}

// Records every hook call; optional hooks decide the answers.
class ProbeWindow : public CImageDialog {
public:
    using Hook = std::function<bool(CImageButton*)>;

    bool OnButtonDown(CImageButton* b) override { return Record(downs, b, downHook); }
    bool OnButtonClick(CImageButton* b) override { return Record(clicks, b, clickHook); }
    bool OnButtonHover(CImageButton* b) override { return Record(hovers, b, hoverHook); }
    bool OnButtonRightDown(CImageButton* b) override { return Record(rightDowns, b, rightDownHook); }
    bool OnButtonRightClick(CImageButton* b) override
    {
        return Record(rightClicks, b, rightClickHook);
    }
    void OnPaintBackground(Gdiplus::Graphics&) override { ++backgroundPaints; }
    void OnPaintForeground(Gdiplus::Graphics&) override { ++foregroundPaints; }

    // WM_APP + 1 runs `appHook`, so a test can act from inside a loop.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 1 && appHook) {
            appHook();
            return 1;
        }
        return CImageDialog::HandleMessage(message, wParam, lParam);
    }

    // Hidden unless asked: under Wine without a window manager, closing a
    // shown window takes seconds.
    HWND Open(int x, int y, int width, int height, DWORD style = WS_POPUP, HWND parent = nullptr)
    {
        return Create(0, L"ImageProbeWindow", L"probe", style, x, y, width, height, parent);
    }

    std::vector<int> downs, clicks, hovers, rightDowns, rightClicks;
    Hook downHook, clickHook, hoverHook, rightDownHook, rightClickHook;
    std::function<void()> appHook;
    int backgroundPaints = 0;
    int foregroundPaints = 0;

private:
    static bool Record(std::vector<int>& log, CImageButton* b, const Hook& hook)
    {
        log.push_back(b ? b->id : -1);
        return hook ? hook(b) : true;
    }
};

// Mouse messages as the system sends them: client point in lParam.
inline LRESULT SendMouse(HWND h, UINT message, int x, int y, WPARAM keys = 0)
{
    return SendMessageW(h, message, keys, MAKELPARAM(x, y));
}

inline void Hover(HWND h, int x, int y) { SendMouse(h, WM_MOUSEMOVE, x, y); }

inline void ClickAt(HWND h, int x, int y)
{
    SendMouse(h, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    SendMouse(h, WM_LBUTTONUP, x, y);
}

// Takes a posted caption-drag request out of the queue before anyone runs
// the system move loop for it. True when one was there; `lParam` gets it.
inline bool TakeCaptionDrag(HWND h, LPARAM* lParam = nullptr)
{
    MSG msg;
    bool found = false;
    while (PeekMessageW(&msg, h, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
        if (msg.wParam == HTCAPTION) {
            found = true;
            if (lParam)
                *lParam = msg.lParam;
        }
    }
    return found;
}

// Stands in for UpdateLayeredWindow and UpdateLayeredWindowIndirect: keeps
// what the painter pushed (the whole picture, and what it said changed),
// then passes it on to the real function.
struct LayeredCapture {
    int calls = 0;
    HWND window = nullptr;
    POINT destination = {0, 0};
    SIZE size = {0, 0};
    BYTE alpha = 0;
    DWORD flags = 0;
    int width = 0;
    int height = 0;
    RECT dirty = {0, 0, 0, 0};  // the whole picture when pushed without one
    std::vector<uint32_t> pixels;  // top-down, 0xAARRGGBB

    uint32_t Pixel(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0;
        return pixels[static_cast<size_t>(y) * width + x];
    }

    static LayeredCapture& Last()
    {
        static LayeredCapture capture;
        return capture;
    }

    static BOOL WINAPI Hook(HWND window, HDC screen, POINT* destination, SIZE* size, HDC source,
                            POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags)
    {
        Record(window, destination, size, source, blend, flags, nullptr);
        return UpdateLayeredWindow(window, screen, destination, size, source, sourcePoint, key,
                                   blend, flags);
    }

    static BOOL WINAPI HookIndirect(HWND window, const UPDATELAYEREDWINDOWINFO* info)
    {
        Record(window, info->pptDst, info->psize, info->hdcSrc, info->pblend, info->dwFlags,
               info->prcDirty);
        return UpdateLayeredWindowIndirect(window, info);
    }

private:
    static void Record(HWND window, const POINT* destination, const SIZE* size, HDC source,
                       const BLENDFUNCTION* blend, DWORD flags, const RECT* dirty)
    {
        LayeredCapture& c = Last();
        ++c.calls;
        c.window = window;
        c.destination = destination ? *destination : POINT{0, 0};
        c.size = size ? *size : SIZE{0, 0};
        c.alpha = blend ? blend->SourceConstantAlpha : 0;
        c.flags = flags;
        c.dirty = dirty ? *dirty : RECT{0, 0, c.size.cx, c.size.cy};
        c.width = c.height = 0;
        c.pixels.clear();
        GdiFlush();
        DIBSECTION dib = {};
        const HGDIOBJ bitmap = GetCurrentObject(source, OBJ_BITMAP);
        if (GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBits &&
            dib.dsBm.bmBitsPixel == 32) {
            c.width = dib.dsBm.bmWidth;
            c.height = dib.dsBm.bmHeight;
            c.pixels.resize(static_cast<size_t>(c.width) * c.height);
            const bool bottomUp = dib.dsBmih.biHeight > 0;
            const auto* rows = static_cast<const uint8_t*>(dib.dsBm.bmBits);
            for (int y = 0; y < c.height; ++y) {
                const int row = bottomUp ? c.height - 1 - y : y;
                std::memcpy(&c.pixels[static_cast<size_t>(y) * c.width],
                            rows + static_cast<size_t>(row) * dib.dsBm.bmWidthBytes,
                            static_cast<size_t>(c.width) * 4);
            }
        }
    }
};
