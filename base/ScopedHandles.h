#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Single owners for GDI, USER, kernel, registry and search handles. Copying
// is impossible, so nothing is released twice.

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const
    {
        if (object)
            DeleteObject(object);
    }
};
using ScopedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using ScopedRegion = std::unique_ptr<std::remove_pointer_t<HRGN>, GdiObjectDeleter>;
using ScopedBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using ScopedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct MemoryDcDeleter {
    void operator()(HDC dc) const
    {
        if (dc)
            DeleteDC(dc);
    }
};
using ScopedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const
    {
        if (icon)
            DestroyIcon(icon);
    }
};
using ScopedIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct KernelHandleDeleter {
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using ScopedHandle = std::unique_ptr<void, KernelHandleDeleter>;

struct RegKeyDeleter {
    void operator()(HKEY key) const
    {
        if (key)
            RegCloseKey(key);
    }
};
using ScopedRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyDeleter>;

struct FindDeleter {
    void operator()(HANDLE search) const
    {
        if (search && search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
};
using ScopedFind = std::unique_ptr<void, FindDeleter>;

// FindFirstFile fails with INVALID_HANDLE_VALUE, which would otherwise make a
// non-empty holder.
inline ScopedFind MakeScopedFind(HANDLE search)
{
    return ScopedFind(search == INVALID_HANDLE_VALUE ? nullptr : search);
}

// A zero-filled (fully transparent) bottom-up 32-bpp DIB section, as
// layered windows and pixel readers want it. `bits` receives its pixels.
inline ScopedBitmap CreateArgbDib(int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ScopedBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

// Selects an object into a DC for one scope and puts the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc(dc), old(SelectObject(dc, object)) {}
    ~ScopedSelect()
    {
        if (old)
            SelectObject(dc, old);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc;
    HGDIOBJ old;
};

// A window's (or the screen's) DC for one scope.
class ScopedWindowDc {
public:
    explicit ScopedWindowDc(HWND window) : window(window), dc(GetDC(window)) {}
    ~ScopedWindowDc()
    {
        if (dc)
            ReleaseDC(window, dc);
    }
    ScopedWindowDc(const ScopedWindowDc&) = delete;
    ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
    HDC get() const { return dc; }

private:
    HWND window;
    HDC dc;
};
