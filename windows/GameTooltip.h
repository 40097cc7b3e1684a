#pragma once

#include "ui/CImageTipCtrl.h"

#include <windows.h>

// The game view's one tooltip: which button's text applies, kept as it was
// handed on so that mouse moves over the same button change nothing.
// Owning thread: the game window's (main).
class GameTooltip {
public:
    static constexpr int TextLength = 64;

    // Created with the game view, owned by the game window.
    void Create(HWND owner);
    // An empty text hides the tip.
    void SetText(const wchar_t* text);
    void Hide();

    const wchar_t* text() const { return kept; }
    HWND window() const { return tip.hwnd; }
    const CImageTipCtrl& control() const { return tip; }

private:
    CImageTipCtrl tip;
    wchar_t kept[TextLength] = {};
};
