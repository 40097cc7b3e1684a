#include "ui/CImageTipCtrl.h"

#include "base/ScopedHandles.h"
#include "ui/UiFont.h"

#include <cwchar>

namespace {

// One format for measuring and drawing, so the window fits what is drawn.
void PrepareFormat(Gdiplus::StringFormat& format)
{
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
}

} // namespace

CImageTipCtrl::~CImageTipCtrl() = default;

LRESULT CImageTipCtrl::HandleMessage(UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_CREATE:
        CreateDrawingObjects();
        return 0;
    case WM_DESTROY:
        ReleaseDrawingObjects();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    default:
        return 0;
    }
}

void CImageTipCtrl::SetTipText(const wchar_t* text)
{
    if (!text)
        text = L"";
    if (wcscmp(text, tipText) == 0 && hwnd && IsWindowVisible(hwnd))
        return;

    const size_t length = wcsnlen(text, 259);
    wmemcpy(tipText, text, length);
    tipText[length] = L'\0';

    if (!hwnd)
        return;
    ShowWindow(hwnd, SW_HIDE);
    KillTimer(hwnd, kShowTimer);
    if (tipText[0])
        SetTimer(hwnd, kShowTimer, kShowDelay, nullptr);
}

void CImageTipCtrl::OnTimer(UINT_PTR timerId)
{
    if (timerId != kShowTimer)
        return;
    KillTimer(hwnd, kShowTimer);
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (!tipText[0] || !tipFont)
        return;

    Gdiplus::SizeF measured;
    {
        ScopedWindowDc dc(hwnd);
        Gdiplus::Graphics graphics(dc.get());
        // In layout units: the window DC may count points at another DPI.
        measured = MeasureTip(graphics, tipText, FontForScale(graphics, *tipFont, 1, layoutFont));
    }
    // Laid out at the origin, scaled, then put next to the cursor.
    target.LookUpScale(hwnd);
    RECT r = target.ToDevice(TipRect(POINT{0, 0}, measured));
    OffsetRect(&r, cursor.x, cursor.y);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    // The owner keeps the activation and the keyboard focus.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
}

RECT CImageTipCtrl::TipRect(POINT cursor, const Gdiplus::SizeF& measured)
{
    const int x = cursor.x + kCursorOffset;
    const int y = cursor.y + kCursorOffset;
    const int width = static_cast<int>(measured.Width) + kExtraWidth;
    const int height = static_cast<int>(measured.Height) + kExtraHeight;
    return RECT{x, y, x + width, y + height};
}

Gdiplus::SizeF CImageTipCtrl::MeasureTip(Gdiplus::Graphics& graphics, const wchar_t* text,
                                         const Gdiplus::Font& font)
{
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    PrepareFormat(format);
    const Gdiplus::RectF box(0, 0, kMeasureWidth, kMeasureHeight);
    Gdiplus::RectF bound;
    graphics.MeasureString(text, -1, &font, box, &format, &bound);
    return Gdiplus::SizeF(bound.Width, bound.Height);
}

void CImageTipCtrl::CreateDrawingObjects()
{
    tipFont = CreateUiFont(L"Tahoma", 9);
    backgroundBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(0xFFFCFCFC)));
    textBrush.reset(new Gdiplus::SolidBrush(Gdiplus::Color(0xFF000000)));
    borderPen.reset(new Gdiplus::Pen(Gdiplus::Color(0xFF8A8A8A), 1));
}

void CImageTipCtrl::ReleaseDrawingObjects()
{
    layoutFont.reset();
    scaledFont.reset();
    tipFont.reset();
    backgroundBrush.reset();
    textBrush.reset();
    borderPen.reset();
}

void CImageTipCtrl::Paint()
{
    PAINTSTRUCT ps;
    HDC paintDc = BeginPaint(hwnd, &ps);
    if (!paintDc)
        return;
    RECT device = {};
    GetClientRect(hwnd, &device);
    const int deviceWidth = device.right - device.left;
    const int deviceHeight = device.bottom - device.top;
    const RECT client = target.ToLayout(device);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    ScopedMemoryDc memoryDc(CreateCompatibleDC(paintDc));
    ScopedBitmap bitmap(memoryDc ? CreateCompatibleBitmap(paintDc, deviceWidth, deviceHeight) : nullptr);
    if (bitmap) {
        ScopedSelect select(memoryDc.get(), bitmap.get());
        SetBkMode(memoryDc.get(), TRANSPARENT);
        {
            Gdiplus::Graphics graphics(memoryDc.get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            target.Apply(graphics);
            if (backgroundBrush)
                graphics.FillRectangle(backgroundBrush.get(), client.left - 1, client.top - 1,
                                       width + 1, height + 1);
            if (tipFont && textBrush) {
                Gdiplus::StringFormat format(0, LANG_NEUTRAL);
                PrepareFormat(format);
                const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(client.left + 2),
                                            static_cast<Gdiplus::REAL>(client.top + 2),
                                            static_cast<Gdiplus::REAL>(width - 4),
                                            static_cast<Gdiplus::REAL>(height - 4));
                DrawScaledString(graphics, tipText, *tipFont, layout, format, textBrush.get(), scaledFont);
            }
            if (borderPen)
                graphics.DrawRectangle(borderPen.get(), client.left, client.top, width - 1,
                                       height - 1);
        }
        BitBlt(paintDc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memoryDc.get(), ps.rcPaint.left,
               ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}
