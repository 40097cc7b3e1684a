#pragma once

#include <windows.h>

#include <memory>
#include <vector>

class CImageButton;

// What a pointer change repaints. Every button's look follows the cursor
// point and the held-button flag, so a change touches each visible button
// whose look differs between the state noted by Begin and the new one: the
// rectangles are their paint bounds, the same ones drawing uses. Used on
// the thread of the painter's window.
class CPointerTracker {
public:
    using Buttons = std::vector<std::unique_ptr<CImageButton>>;

    void Begin(POINT cursor, bool pressed);
    // Paint bounds of every visible button whose look changed since Begin.
    std::vector<RECT> Changed(const Buttons& buttons, POINT cursor, bool pressed) const;

private:
    POINT before = {-1, -1};
    bool beforePressed = false;
};
