#pragma once

#include "ui/CRenderTarget.h"
#include "ui/CWindowCtrl.h"
#include "ui/GdiPlusInclude.h"

#include <memory>

// Small popup that shows one text near the cursor half a second after the
// text was set. It does not watch the mouse: its owner says which text
// applies, or an empty one to hide it.
// Owning thread: the one that creates its window, as for every CWindowCtrl.
class CImageTipCtrl : public CWindowCtrl {
public:
    static constexpr UINT_PTR kShowTimer = 1100;
    static constexpr UINT kShowDelay = 500;
    static constexpr int kCursorOffset = 15;
    static constexpr int kExtraWidth = 5;
    static constexpr int kExtraHeight = 4;
    static constexpr Gdiplus::REAL kMeasureWidth = 500;
    static constexpr Gdiplus::REAL kMeasureHeight = 200;

    CImageTipCtrl() = default;
    ~CImageTipCtrl() override;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR timerId) override;

    // Hides the tip and starts the delay for `text`; an empty text only
    // hides. The text already on screen is left alone.
    void SetTipText(const wchar_t* text);

    // Window rectangle for a text of `measured` size with the cursor at
    // `cursor`, in 96-DPI units.
    static RECT TipRect(POINT cursor, const Gdiplus::SizeF& measured);
    // Size of `text` in `font`, wrapped inside the 500 x 200 box.
    static Gdiplus::SizeF MeasureTip(Gdiplus::Graphics& graphics, const wchar_t* text,
                                     const Gdiplus::Font& font);

    wchar_t tipText[260] = {};
    std::unique_ptr<Gdiplus::Font> tipFont;
    std::unique_ptr<Gdiplus::SolidBrush> backgroundBrush;
    std::unique_ptr<Gdiplus::SolidBrush> textBrush;
    std::unique_ptr<Gdiplus::Pen> borderPen;
    // The scale of the monitor the tip shows on.
    CRenderTarget target;
    // tipFont at the scale it is measured and drawn at, when that differs.
    std::unique_ptr<Gdiplus::Font> layoutFont;
    std::unique_ptr<Gdiplus::Font> scaledFont;

private:
    void CreateDrawingObjects();
    void ReleaseDrawingObjects();
    void Paint();
};
