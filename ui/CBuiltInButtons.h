#pragma once

#include <windows.h>

class CElementStore;
class CImageButton;
class CRenderTarget;

// What the built-in buttons (BuiltInButtons.h) do to their window: close,
// minimise, and maximise or restore, of which only the one that applies is
// shown. Used on the thread of the painter's window.
class CBuiltInButtons {
public:
    // Showing the other one of maximise and restore redraws all of `target`.
    CBuiltInButtons(const CElementStore& elements, CRenderTarget& target);
    CBuiltInButtons(const CBuiltInButtons&) = delete;
    CBuiltInButtons& operator=(const CBuiltInButtons&) = delete;

    // The action of a click on `button` (null or not built in: none).
    // False when the window closed.
    bool Press(HWND window, const CImageButton* button);
    void ToggleMaximize(HWND window);

private:
    const CElementStore& elements;
    CRenderTarget& target;
};
