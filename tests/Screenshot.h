#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The CLSID of GDI+'s PNG encoder; false when it has none.
bool PngEncoderClsid(CLSID& clsid);

// Saves the whole X screen as a PNG into the test run's artefacts folder
// (<env>/artifacts). Returns the Unix path written, or an empty string when
// not run by the test harness or on failure.
std::wstring SaveScreenshot(const wchar_t* name);

// The screen as SaveScreenshot writes it, read back for pixel checks (what X
// shows, layered windows included).
class ScreenCapture {
public:
    explicit ScreenCapture(const wchar_t* name);

    bool ok() const { return !pixels.empty(); }
    // 0xFFRRGGBB at a screen point (ColorNear, RedOf ... apply); 0 outside.
    DWORD Pixel(int x, int y) const;
    // How many pixels of `area` (screen coordinates) `match` accepts.
    int Count(const RECT& area, const std::function<bool(DWORD)>& match) const;

private:
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
};

// Captures the screen until `drawn` accepts the picture (a window just shown
// may not have been drawn yet) or `timeoutMs` passes; the last capture.
ScreenCapture CaptureScreenWhen(const wchar_t* name, const std::function<bool(const ScreenCapture&)>& drawn,
                                DWORD timeoutMs = 5000);

// Rows of a client popup menu (24 pixels high) that hold no caption ink
// (dark pixels on the light menu) on the screen; empty when all are drawn.
std::vector<int> MenuRowsWithoutCaption(HWND menu, const wchar_t* name);
