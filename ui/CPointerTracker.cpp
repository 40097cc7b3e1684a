#include "ui/CPointerTracker.h"

#include "ui/CImageButton.h"

void CPointerTracker::Begin(POINT cursor, bool pressed)
{
    before = cursor;
    beforePressed = pressed;
}

std::vector<RECT> CPointerTracker::Changed(const Buttons& buttons, POINT cursor, bool pressed) const
{
    std::vector<RECT> changed;
    for (const auto& button : buttons) {
        if (!button->visible)
            continue;
        const CImageButton::State was = button->StateAt(button->rect, before, beforePressed ? 1 : 0);
        const CImageButton::State is = button->StateAt(button->rect, cursor, pressed ? 1 : 0);
        if (was != is)
            changed.push_back(button->PaintBounds());
    }
    return changed;
}
