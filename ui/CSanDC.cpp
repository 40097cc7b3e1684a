#include "ui/CSanDC.h"

CSanDC::CSanDC(HDC target, const RECT& client, const RECT& update)
    : targetRect(update), memoryDc(CreateCompatibleDC(target)), targetDc(target)
{
    if (!memoryDc)
        return;
    bitmap.reset(CreateCompatibleBitmap(target, client.right - client.left,
                                        client.bottom - client.top));
    if (bitmap)
        oldBitmap = SelectObject(memoryDc.get(), bitmap.get());
}

CSanDC::~CSanDC()
{
    if (!memoryDc)
        return;
    if (bitmap) {
        BitBlt(targetDc, targetRect.left, targetRect.top, targetRect.right - targetRect.left,
               targetRect.bottom - targetRect.top, memoryDc.get(), targetRect.left,
               targetRect.top, SRCCOPY);
    }
    // The bitmap must leave the DC before either is deleted.
    if (oldBitmap)
        SelectObject(memoryDc.get(), oldBitmap);
}
