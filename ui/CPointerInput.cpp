#include "ui/CPointerInput.h"

#include "ui/CButtonHooks.h"
#include "ui/CElementStore.h"
#include "ui/CImageButton.h"

namespace {

// Without a caption rectangle the top 40 units drag the window.
constexpr int kDefaultCaptionHeight = 40;

void ClearRect(RECT& rect)
{
    ::SetRect(&rect, -1, -1, -1, -1);
}

} // namespace

CPointerInput::CPointerInput(const CElementStore& elements, const CButtonHooks& hooks, Host& host)
    : elements(elements), hooks(hooks), host(host)
{
}

bool CPointerInput::OnMouseMove(POINT point)
{
    tracker.Begin(mousePos, leftPressed);
    mousePos = point;
    if (!tracking && host.Window()) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = host.Window();
        track.dwHoverTime = 10;
        tracking = TrackMouseEvent(&track) != FALSE;
    }
    if (hotButton && tracking && PtInRect(&hotButton->rect, point)) {
        const CImageButton* partChanged = nullptr;
        if (hotButton->kind == ButtonKind::Parts) {
            const bool part = hotButton->HitTestPart(point);
            if (part != hotButton->partHot) {
                hotButton->partHot = part;
                partChanged = hotButton;
            }
        }
        // Overlapping neighbours may change while the hot button stays.
        RepaintChange(partChanged);
        return false;
    }
    if (leftPressed)
        return false;

    CImageButton* old = hotButton;
    CImageButton* found = tracking ? elements.HotButtonAt(point) : nullptr;
    const int foundId = found ? found->id : 0;
    hotButton = found;
    RepaintChange(old, found);
    if (!found)
        return false;
    // A layered repaint runs the paint hooks; make sure the new hot button
    // survived them.
    if (hotButton != found || elements.FindButton(foundId) != found)
        return false;
    return elements.Holds(found) && !CButtonHooks::Run(hooks.onButtonHover, found);
}

bool CPointerInput::OnLeftDown(POINT point, LPARAM devicePoint)
{
    tracker.Begin(mousePos, leftPressed);
    mousePos = point;
    bool onButton = false;
    if (hotButton && hotButton->visible && PtInRect(&hotButton->rect, point)) {
        CImageButton* button = hotButton;
        const int id = button->id;
        pressedRect = button->rect;
        leftPressed = true;
        button->HitTestPart(point);
        RepaintChange(button);
        if (elements.Holds(button) && !CButtonHooks::Run(hooks.onButtonDown, button))
            return true;
        // The hook may have run a loop that already saw the release,
        // removed the button or closed the window.
        if (!WindowAlive() || !leftPressed)
            return false;
        if (!hotButton || elements.FindButton(id) != hotButton) {
            leftPressed = false;
            ClearRect(pressedRect);
            return false;
        }
        if (!captured) {
            SetCapture(host.Window());
            captured = true;
            return false;
        }
        onButton = true;
    }

    if (dragEnabled && WindowAlive()) {
        const bool defaultCaption =
            captionRect.left == captionRect.right && captionRect.top == captionRect.bottom;
        const bool inCaption = defaultCaption ? (point.y <= kDefaultCaptionHeight && !onButton)
                                              : PtInRect(&captionRect, point) != FALSE;
        if (inCaption)
            PostMessageW(host.Window(), WM_NCLBUTTONDOWN, HTCAPTION, devicePoint);
    }
    if (!onButton)
        ClearRect(pressedRect);
    return false;
}

bool CPointerInput::OnLeftUp(POINT point)
{
    tracker.Begin(mousePos, leftPressed);
    mousePos = point;
    if (captured) {
        captured = false;
        ReleaseCapture();
    }
    leftPressed = false;
    if (!hotButton) {
        ClearRect(pressedRect);
        return false;
    }
    CImageButton* button = hotButton;
    const int id = button->id;
    const RECT formerRect = button->rect;
    if (PtInRect(&pressedRect, point)) {
        if (!host.Click(button))
            return true;
        if (!WindowAlive()) {
            ClearRect(pressedRect);
            return false;
        }
    }
    // Look again: the click may have removed buttons or moved the mouse
    // through a nested loop.
    if (hotButton && !PtInRect(&hotButton->rect, point)) {
        mousePos = POINT{-1, -1};
        hotButton = nullptr;
    }
    const CImageButton* former = elements.FindButton(id);
    if (former) {
        RepaintChange(former);
    } else {
        RepaintChange();
        host.Repaint(std::vector<RECT>{formerRect});
    }
    ClearRect(pressedRect);
    return false;
}

bool CPointerInput::OnRightDown(POINT point)
{
    mousePos = point;
    if (!hotButton || !PtInRect(&hotButton->rect, point)) {
        ClearRect(rightPressedRect);
        return false;
    }
    CImageButton* button = hotButton;
    const int id = button->id;
    rightPressed = true;
    rightPressedRect = button->rect;
    if (!CButtonHooks::Run(hooks.onButtonRightDown, button))
        return true;
    if (!WindowAlive() || !rightPressed)
        return false;
    if (!hotButton || elements.FindButton(id) != hotButton) {
        rightPressed = false;
        ClearRect(rightPressedRect);
        return false;
    }
    if (!captured) {
        SetCapture(host.Window());
        captured = true;
    }
    return false;
}

bool CPointerInput::OnRightUp(POINT point)
{
    mousePos = point;
    if (captured) {
        captured = false;
        ReleaseCapture();
    }
    rightPressed = false;
    if (hotButton) {
        if (PtInRect(&rightPressedRect, point)) {
            if (!CButtonHooks::Run(hooks.onButtonRightClick, hotButton))
                return false;
        } else if (!PtInRect(&hotButton->rect, point)) {
            mousePos = POINT{-1, -1};
            hotButton = nullptr;
        }
    }
    ClearRect(rightPressedRect);
    return false;
}

bool CPointerInput::OnMouseLeave()
{
    tracker.Begin(mousePos, leftPressed);
    mousePos = POINT{-1, -1};
    tracking = false;
    if (leftPressed)
        return false;
    if (hotButton && WindowAlive()) {
        if (IsZoomed(host.Window())) {
            const POINT cursor = host.CursorInClient();
            if (PtInRect(&hotButton->rect, cursor))
                mousePos = cursor;
        }
        const CImageButton* former = hotButton;
        hotButton = nullptr;
        RepaintChange(former);
    }
    hotButton = nullptr;
    return false;
}

bool CPointerInput::OnCaptureChanged(HWND newCapture)
{
    // Our own release has cleared `captured` already; anything else took
    // the mouse away in the middle of a press.
    if (!captured || newCapture == host.Window())
        return false;
    EndPress();
    return false;
}

bool CPointerInput::OnCancelMode()
{
    const bool release = captured && WindowAlive() && GetCapture() == host.Window();
    // The press ends first, so that the release below counts as our own.
    EndPress();
    if (release)
        ReleaseCapture();
    return false;
}

bool CPointerInput::OnSetCursor()
{
    if (!host.Window())
        return false;
    if (!elements.LinkAt(host.CursorInClient()))
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

bool CPointerInput::TogglesMaximize(POINT point) const
{
    return point.y <= kDefaultCaptionHeight && dragEnabled;
}

void CPointerInput::Forget(const CImageButton* button)
{
    if (hotButton == button)
        hotButton = nullptr;
}

void CPointerInput::Reset()
{
    // The state goes first, so the release below is no lost capture to
    // answer (the window and its owner may be on their way out).
    const HWND window = host.Window();
    const bool release = captured && window && GetCapture() == window;
    captured = false;
    leftPressed = false;
    rightPressed = false;
    tracking = false;
    ClearRect(pressedRect);
    ClearRect(rightPressedRect);
    if (release)
        ReleaseCapture();
    hotButton = nullptr;
    mousePos = POINT{-1, -1};
}

bool CPointerInput::WindowAlive() const
{
    const HWND window = host.Window();
    return window && IsWindow(window);
}

void CPointerInput::EndPress()
{
    const bool lookedPressed = leftPressed;
    tracker.Begin(mousePos, leftPressed);
    captured = false;
    leftPressed = false;
    rightPressed = false;
    ClearRect(pressedRect);
    ClearRect(rightPressedRect);
    if (lookedPressed)
        RepaintChange(hotButton);
}

void CPointerInput::RepaintChange(const CImageButton* also, const CImageButton* andAlso)
{
    std::vector<RECT> rects = tracker.Changed(elements.buttons, mousePos, leftPressed);
    for (const CImageButton* button : {also, andAlso}) {
        if (button)
            rects.push_back(button->PaintBounds());
    }
    host.Repaint(rects);
}
