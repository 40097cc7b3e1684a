#include "ui/CBuiltInButtons.h"

#include "ui/BuiltInButtons.h"
#include "ui/CElementStore.h"
#include "ui/CImageButton.h"
#include "ui/CRenderTarget.h"

namespace {

bool Alive(HWND window)
{
    return window && IsWindow(window);
}

} // namespace

CBuiltInButtons::CBuiltInButtons(const CElementStore& elements, CRenderTarget& target)
    : elements(elements), target(target)
{
}

bool CBuiltInButtons::Press(HWND window, const CImageButton* button)
{
    if (!button || button->noDefaultAction || !button->visible)
        return true;
    switch (button->id) {
    case CloseButtonId:
        if (Alive(window))
            DestroyWindow(window);
        return false;
    case MinimizeButtonId:
        if (Alive(window))
            ShowWindow(window, SW_MINIMIZE);
        return true;
    case MaximizeButtonId:
    case RestoreButtonId:
        ToggleMaximize(window);
        return true;
    default:
        return true;
    }
}

void CBuiltInButtons::ToggleMaximize(HWND window)
{
    CImageButton* maximize = elements.FindButton(MaximizeButtonId);
    CImageButton* restore = elements.FindButton(RestoreButtonId);
    if (!maximize || !restore || !Alive(window))
        return;
    // The buttons swap before the window changes size, so the repaint the
    // change brings shows the new one.
    if (IsZoomed(window)) {
        maximize->visible = true;
        restore->visible = false;
        target.InvalidateWhole();
        ShowWindow(window, SW_RESTORE);
    } else {
        restore->visible = true;
        maximize->visible = false;
        target.InvalidateWhole();
        ShowWindow(window, SW_MAXIMIZE);
    }
}
