#pragma once

#include "ui/GdiPlusInclude.h"

#include <windows.h>

#include <memory>

class CImagePaint;

// What the game window shows in place of the page while the page cannot be
// reached: a short message and a "重试" button over the page area, drawn by
// the window's own painter. Owning thread: the game window's (main).
class COfflinePanel {
public:
    static constexpr int RetryButtonId = 10024;
    // "无法连接到游戏服务器，正在重试…"
    static constexpr wchar_t Message[] =
        L"\u65E0\u6CD5\u8FDE\u63A5\u5230\u6E38\u620F\u670D\u52A1\u5668\uFF0C\u6B63\u5728\u91CD\u8BD5\u2026";
    // "重试"
    static constexpr wchar_t RetryText[] = L"\u91CD\u8BD5";
    static constexpr Gdiplus::ARGB BackColor = 0xFF1B2431;
    static constexpr Gdiplus::ARGB TextColor = 0xFFE9EDF3;
    static constexpr Gdiplus::ARGB ButtonColor = 0xFF2E7AD6;
    static constexpr Gdiplus::ARGB ButtonHoverColor = 0xFF4A90E2;
    static constexpr Gdiplus::ARGB ButtonPressedColor = 0xFF215DA8;

    COfflinePanel();
    ~COfflinePanel();
    COfflinePanel(const COfflinePanel&) = delete;
    COfflinePanel& operator=(const COfflinePanel&) = delete;

    // Puts the panel over `pageArea` (layout units) and its button
    // into `painter`; the window repaints.
    void Show(CImagePaint& painter, HWND window, const RECT& pageArea);
    void Hide(CImagePaint& painter, HWND window);
    // The page area after a resize, while shown.
    void Layout(CImagePaint& painter, const RECT& pageArea);
    // Background and message; the painter draws the button above them.
    void Paint(Gdiplus::Graphics& graphics) const;
    bool shown() const { return visible; }

    // Where the message and the button lie in a page area.
    static RECT MessageRect(const RECT& pageArea);
    static RECT ButtonRect(const RECT& pageArea);

private:
    bool visible = false;
    RECT area = {0, 0, 0, 0};
    std::unique_ptr<Gdiplus::Font> font;
    // font at the drawing scale, when that differs.
    mutable std::unique_ptr<Gdiplus::Font> scaledFont;
    std::unique_ptr<Gdiplus::SolidBrush> backBrush;
    std::unique_ptr<Gdiplus::SolidBrush> textBrush;
};
