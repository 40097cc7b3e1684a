#pragma once

#include <functional>

class CImageButton;

// The owner's button callbacks. Each answers false to consume its event.
// A callback may run a nested message loop, remove elements, destroy the
// window or replace the callbacks themselves, so Run calls a copy, and its
// caller checks afterwards what is still there. Used on the thread of the
// painter's window.
class CButtonHooks {
public:
    using Callback = std::function<bool(CImageButton*)>;

    // True when `hook` is unset or lets the event go on.
    static bool Run(const Callback& hook, CImageButton* button);

    Callback onButtonDown;
    Callback onButtonClick;
    Callback onButtonHover;
    Callback onButtonRightDown;
    Callback onButtonRightClick;
};
