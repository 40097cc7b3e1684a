#pragma once

#include "base/ScopedHandles.h"

#include <windows.h>

// Double buffer for one WM_PAINT: a memory DC with a client-sized bitmap.
// The destructor copies the update rectangle onto the paint DC and frees
// the buffer.
class CSanDC {
public:
    CSanDC(HDC target, const RECT& client, const RECT& update);
    CSanDC(const CSanDC&) = delete;
    CSanDC& operator=(const CSanDC&) = delete;
    virtual ~CSanDC();

    ScopedBitmap bitmap;
    HGDIOBJ oldBitmap = nullptr;
    RECT targetRect;
    ScopedMemoryDc memoryDc;
    HDC targetDc;
};
