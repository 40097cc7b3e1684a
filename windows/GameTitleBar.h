#pragma once

#include "ui/GdiPlusInclude.h"

#include <windows.h>

#include <memory>

class CImagePaint;

// The game view's 25-pixel title bar: its background, icon, window and
// link buttons (added to the game window's painter) and its caption.
// Owning thread: the game window's (main).
class GameTitleBar {
public:
    static constexpr int Height = 25;
    static constexpr int BackgroundId = 10011;
    static constexpr int IconId = 10012;
    static constexpr int FullScreenButtonId = 10013;
    static constexpr int ToolsButtonId = 10014;

    GameTitleBar();
    ~GameTitleBar();
    GameTitleBar(const GameTitleBar&) = delete;
    GameTitleBar& operator=(const GameTitleBar&) = delete;

    // The caption's font and brush, made on the window's thread once GDI+
    // runs there; Release drops them with the window.
    void Prepare();
    void Release();
    // Adds the title bar's elements for a client area of `client`.
    void AddTo(CImagePaint& painter, const RECT& client) const;
    // Draws the caption for a client area of `client`.
    void PaintCaption(Gdiplus::Graphics& graphics, const RECT& client) const;

private:
    std::unique_ptr<Gdiplus::Font> captionFont;
    // captionFont at the drawing scale, when that differs.
    mutable std::unique_ptr<Gdiplus::Font> scaledCaptionFont;
    std::unique_ptr<Gdiplus::SolidBrush> captionBrush;
    wchar_t captionText[260] = {};
};
