#include "ui/CImagePaint.h"

#include "ui/BuiltInButtons.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "ui/CSanDC.h"
#include "ui/ElementLookup.h"
#include "ui/LoadPngImage.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {

// Elements in this id range are decoration: drawn, never hot.
constexpr int kFirstDecorationId = 100;
constexpr int kLastDecorationId = 250;
// Without an explicit caption rectangle the top 40 pixels drag the window.
constexpr int kDefaultCaptionHeight = 40;


void ClearRect(RECT& rect)
{
    ::SetRect(&rect, -1, -1, -1, -1);
}

bool Intersects(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// An image that draws its picture and nothing else, without filtering.
bool PictureOnly(const CImageStatic& image)
{
    return image.visible && image.image && !image.smooth && !image.backgroundBrush &&
           image.text[0] == L'\0';
}

Gdiplus::Rect ToRect(const RECT& r)
{
    return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

POINT PointOf(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// FNV-1a over the bytes of each value mixed in.
class Digest {
public:
    template <typename T>
    void Add(const T& value)
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
        for (size_t i = 0; i < sizeof(T); ++i)
            hash = (hash ^ bytes[i]) * 1099511628211ULL;
    }
    void AddText(const wchar_t* text)
    {
        for (; *text; ++text)
            Add(*text);
        Add(L'\0');
    }
    unsigned long long value() const { return hash; }

private:
    unsigned long long hash = 14695981039346656037ULL;
};

} // namespace

CImagePaint::CImagePaint() = default;

CImagePaint::~CImagePaint()
{
    Reset();
}

CImageButton* CImagePaint::AddButton(int id, const RECT& rect, int normalId, int hoverId,
                                     int pressedId, int disabledId)
{
    if (CImageButton* existing = FindButton(id)) {
        existing->SetImages(normalId, hoverId, pressedId, disabledId);
        existing->SetText(L"");
        existing->SetRect(&rect);
        ElementsChanged();
        return existing;
    }
    auto button = std::make_unique<CImageButton>(ownerWindow, id, rect, L"");
    button->SetImages(normalId, hoverId, pressedId, disabledId);
    buttons.push_back(std::move(button));
    ElementsChanged();
    return buttons.back().get();
}

CImageButton* CImagePaint::FindButton(int id) const
{
    return FindElement(buttons, id);
}

bool CImagePaint::RemoveButton(int id)
{
    const auto it = FindElementIterator(buttons, id);
    if (it == buttons.end())
        return false;
    if (hotButton == it->get())
        hotButton = nullptr;
    buttons.erase(it);
    ElementsChanged();
    return true;
}

CImageStatic* CImagePaint::AddImage(const RECT& rect, int resourceId, int id, bool smooth)
{
    CImageStatic* image = FindImage(id);
    if (!image) {
        images.push_back(std::make_unique<CImageStatic>(id, rect, smooth));
        image = images.back().get();
    }
    image->smooth = smooth;
    image->id = id;
    image->rect = rect;
    image->image = LoadPremultipliedPng(resourceId);
    ElementsChanged();
    return image;
}

CImageStatic* CImagePaint::FindImage(int id) const
{
    return FindElement(images, id);
}

bool CImagePaint::RemoveImage(int id)
{
    const auto it = FindElementIterator(images, id);
    if (it == images.end())
        return false;
    images.erase(it);
    ElementsChanged();
    return true;
}

void CImagePaint::SetBackColor(Gdiplus::ARGB argb)
{
    backBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(argb));
    fillBackground = true;
    ElementsChanged();
}

void CImagePaint::SetOnButtonDown(ButtonCallback callback) { onButtonDown = std::move(callback); }
void CImagePaint::SetOnButtonClick(ButtonCallback callback) { onButtonClick = std::move(callback); }
void CImagePaint::SetOnButtonHover(ButtonCallback callback) { onButtonHover = std::move(callback); }
void CImagePaint::SetOnButtonRightDown(ButtonCallback callback)
{
    onButtonRightDown = std::move(callback);
}
void CImagePaint::SetOnButtonRightClick(ButtonCallback callback)
{
    onButtonRightClick = std::move(callback);
}
void CImagePaint::SetOnPaintBackground(PaintCallback callback)
{
    onPaintBackground = std::move(callback);
}
void CImagePaint::SetOnPaintForeground(PaintCallback callback)
{
    onPaintForeground = std::move(callback);
}

void CImagePaint::EnableLayered()
{
    if (layered || !ownerWindow || !IsWindow(ownerWindow))
        return;
    fillBackground = false;
    layered = true;
    alpha = 255;
    if (fixedDpi == 0)
        target.LookUpScale(ownerWindow);
    const UpdateLayeredWindowFn system = MakeLayered(ownerWindow);
    if (!updateLayeredWindow)
        updateLayeredWindow = system;
    if (!updateLayeredWindowIndirect)
        updateLayeredWindowIndirect = LayeredIndirectFunction();
    UpdateLayered();
}

void CImagePaint::FixDpi(UINT dpi)
{
    fixedDpi = dpi;
    const bool changed = dpi != 0 ? target.SetDpi(dpi) : target.LookUpScale(ownerWindow);
    if (changed)
        Rescaled();
}

void CImagePaint::Rescaled()
{
    if (layered)
        UpdateLayered();
    else if (WindowAlive())
        InvalidateRect(ownerWindow, nullptr, TRUE);
}

void CImagePaint::LeaveLayered()
{
    if (!layered || !WindowAlive())
        return;
    layered = false;
    target.Drop();
    SetWindowLongPtrW(ownerWindow, GWL_EXSTYLE,
                      GetWindowLongPtrW(ownerWindow, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    RedrawWindow(ownerWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CImagePaint::UpdateLayered()
{
    target.InvalidateWhole();
    RenderPending();
}

void CImagePaint::ElementsChanged()
{
    target.InvalidateWhole();
}

void CImagePaint::RenderPending()
{
    if (!layered || !updateLayeredWindow || !WindowAlive() || !target.Pending())
        return;
    const unsigned long long look = Look();
    if (look != drawnLook)
        target.InvalidateWhole();
    drawnLook = look;
    const HWND window = ownerWindow;
    CRenderTarget::PushFunctions push;
    push.update = updateLayeredWindow;
    push.indirect = updateLayeredWindowIndirect;
    target.Render(
        window, push, alpha,
        [this](Gdiplus::Graphics& graphics, const RECT* area) {
            DrawAll(graphics, LayoutClient(), area, true);
        },
        [this](const RECT& area) { return target.Unscaled() && CopiedOver(area); },
        [this, window] { return IsWindow(window) && ownerWindow == window; });
}

unsigned long long CImagePaint::Look() const
{
    Digest digest;
    digest.Add(fillBackground);
    digest.Add(backBrush.get());
    for (const auto& image : images) {
        digest.Add(image.get());
        digest.Add(image->rect);
        digest.Add(image->visible);
        digest.Add(image->image.get());
        digest.Add(image->smooth);
        digest.Add(image->backgroundBrush.get());
        digest.AddText(image->text);
    }
    for (const auto& button : buttons) {
        digest.Add(button.get());
        digest.Add(button->rect);
        digest.Add(button->visible);
        digest.Add(button->kind);
        digest.Add(button->drawMode);
        digest.Add(button->forcePressed);
        digest.Add(button->imageOffsetX);
        digest.Add(button->imageOffsetY);
        digest.Add(button->hasIcon);
        digest.Add(button->iconRect);
        digest.Add(button->showText);
        digest.Add(button->normalImage.get());
        digest.Add(button->hoverImage.get());
        digest.Add(button->pressedImage.get());
        digest.Add(button->disabledImage.get());
        digest.Add(button->normalIcon.get());
        digest.Add(button->hoverIcon.get());
        digest.Add(button->customFont);
        digest.Add(button->font.get());
        digest.Add(button->normalTextBrush.get());
        digest.Add(button->hoverTextBrush.get());
        digest.Add(button->pressedTextBrush.get());
        digest.AddText(button->text);
    }
    return digest.value();
}

RECT CImagePaint::LayoutClient() const
{
    RECT client = {0, 0, 0, 0};
    if (ownerWindow)
        GetClientRect(ownerWindow, &client);
    return target.ToLayout(client);
}

POINT CImagePaint::CursorInClient() const
{
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(ownerWindow, &cursor);
    return target.ToLayout(cursor);
}

void CImagePaint::Reset()
{
    // A window created again by the same owner starts without stale
    // press, capture or tracking state. The state goes first, so the
    // release below is no lost capture to answer (the window and its
    // owner may be on their way out).
    const bool release = captured && ownerWindow && GetCapture() == ownerWindow;
    captured = false;
    leftPressed = false;
    rightPressed = false;
    tracking = false;
    ClearRect(pressedRect);
    ClearRect(rightPressedRect);
    if (release)
        ReleaseCapture();

    hotButton = nullptr;
    images.clear();
    buttons.clear();
    mousePos = POINT{-1, -1};
    ownerWindow = nullptr;
    backBrush.reset();
    layered = false;
    target.Drop();
    drawnLook = 0;
}

bool CImagePaint::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (fixedDpi == 0)
            target.LookUpScale(ownerWindow);
        if (!backBrush && (backColor >> 24) != 0)
            backBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(backColor));
        return false;
    case WM_DPICHANGED:
        // The window takes its new rectangle itself; every pixel is redrawn.
        if (fixedDpi == 0 && target.SetDpi(LOWORD(wParam)))
            Rescaled();
        return false;
    case WM_DESTROY:
        Reset();
        return false;
    case WM_SIZE:
        Relayout(RECT{0, 0, target.ToLayoutLength(GET_X_LPARAM(lParam)),
                      target.ToLayoutLength(GET_Y_LPARAM(lParam))});
        return false;
    case WM_PAINT:
        Paint();
        return false;
    case WM_ERASEBKGND:
        return OnEraseBackground();
    case WM_SHOWWINDOW:
        OnShowWindow(wParam != 0);
        return false;
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_MOUSEMOVE:
        return OnMouseMove(target.ToLayout(PointOf(lParam)));
    case WM_LBUTTONDOWN:
        return OnLeftDown(target.ToLayout(PointOf(lParam)), lParam);
    case WM_LBUTTONUP:
        return OnLeftUp(target.ToLayout(PointOf(lParam)));
    case WM_LBUTTONDBLCLK:
        if (target.ToLayout(PointOf(lParam)).y <= kDefaultCaptionHeight && dragEnabled)
            ToggleMaximize();
        return false;
    case WM_RBUTTONDOWN:
        return OnRightDown(target.ToLayout(PointOf(lParam)));
    case WM_RBUTTONUP:
        return OnRightUp(target.ToLayout(PointOf(lParam)));
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(reinterpret_cast<HWND>(lParam));
    case WM_CANCELMODE:
        return OnCancelMode();
    default:
        return false;
    }
}

bool CImagePaint::Click(CImageButton* button)
{
    const int id = button ? button->id : 0;
    if (onButtonClick) {
        // A copy: the callback may replace the painter's callbacks.
        const ButtonCallback callback = onButtonClick;
        if (!callback(button))
            return false;
        // The callback may have removed the button or closed the window.
        if (button)
            button = FindButton(id);
    }
    if (!button || button->noDefaultAction || !button->visible)
        return true;
    switch (button->id) {
    case CloseButtonId:
        if (WindowAlive())
            DestroyWindow(ownerWindow);
        return false;
    case MinimizeButtonId:
        if (WindowAlive())
            ShowWindow(ownerWindow, SW_MINIMIZE);
        return true;
    case MaximizeButtonId:
    case RestoreButtonId:
        ToggleMaximize();
        return true;
    default:
        return true;
    }
}

void CImagePaint::ToggleMaximize()
{
    CImageButton* maximize = FindButton(MaximizeButtonId);
    CImageButton* restore = FindButton(RestoreButtonId);
    if (!maximize || !restore || !WindowAlive())
        return;
    if (IsZoomed(ownerWindow)) {
        maximize->visible = true;
        restore->visible = false;
        ElementsChanged();
        ShowWindow(ownerWindow, SW_RESTORE);
    } else {
        restore->visible = true;
        maximize->visible = false;
        ElementsChanged();
        ShowWindow(ownerWindow, SW_MAXIMIZE);
    }
}

void CImagePaint::Relayout(const RECT& clientRect)
{
    const int width = clientRect.right;
    const int height = clientRect.bottom;
    for (const auto& button : buttons) {
        if (button->rightAnchor != -1) {
            const int right = width - button->rightAnchor;
            if (right != button->rect.right) {
                RECT moved = button->rect;
                OffsetRect(&moved, right - moved.right, 0);
                button->SetRect(&moved);
            }
        }
        if (button->bottomAnchor != -1) {
            const int bottom = height - button->bottomAnchor;
            if (bottom != button->rect.bottom) {
                RECT moved = button->rect;
                OffsetRect(&moved, 0, bottom - moved.bottom);
                button->SetRect(&moved);
            }
        }
    }
    for (const auto& image : images) {
        RECT& r = image->rect;
        if (image->rightAnchor != -1) {
            const int right = width - image->rightAnchor;
            if (right != r.right) {
                r.left = image->fixedLeft != -1 ? image->fixedLeft : r.left + (right - r.right);
                r.right = right;
            }
        }
        if (image->bottomAnchor != -1) {
            const int bottom = height - image->bottomAnchor;
            if (bottom != r.bottom) {
                r.top = image->fixedTop != -1 ? image->fixedTop : r.top + (bottom - r.bottom);
                r.bottom = bottom;
            }
        }
    }
    if (layered) {
        UpdateLayered();
    } else if (WindowAlive()) {
        const RECT device = target.ToDevice(clientRect);
        InvalidateRect(ownerWindow, &device, TRUE);
    }
}

void CImagePaint::Paint()
{
    if (!ownerWindow)
        return;
    const HWND window = ownerWindow;
    // Elements changed since the last paint: all of the window is redrawn.
    const unsigned long long look = Look();
    if (look != drawnLook)
        InvalidateRect(window, nullptr, FALSE);
    drawnLook = look;
    RECT update = {0, 0, 0, 0};
    GetUpdateRect(window, &update, FALSE);
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    // Nothing began, so there is nothing to end.
    if (!dc)
        return;
    RECT client;
    GetClientRect(window, &client);
    // An empty update (the erase sent from inside BeginPaint) has nothing
    // to copy; skip building a client-sized buffer for it.
    if (!IsRectEmpty(&update)) {
        CSanDC buffer(dc, client, update);
        if (buffer.memoryDc) {
            SetBkMode(buffer.memoryDc.get(), TRANSPARENT);
            Gdiplus::Graphics graphics(buffer.memoryDc.get());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            // Only the update reaches the window; drawing stops there too.
            graphics.SetClip(ToRect(update));
            target.Apply(graphics);
            const RECT area = target.ToLayout(update);
            DrawAll(graphics, target.ToLayout(client), &area, false);
        }
    }
    EndPaint(window, &ps);
}

void CImagePaint::DrawAll(Gdiplus::Graphics& graphics, const RECT& client, const RECT* update,
                          bool copyFirst)
{
    // Until something is drawn, a picture lands on transparent pixels:
    // copying it in gives what blending would, for less work.
    bool blank = copyFirst;
    if (fillBackground && backBrush) {
        graphics.FillRectangle(backBrush.get(), static_cast<INT>(client.left - 1),
                               static_cast<INT>(client.top - 1),
                               static_cast<INT>(client.right - client.left + 1),
                               static_cast<INT>(client.bottom - client.top + 1));
        blank = false;
    }
    if (onPaintBackground) {
        const PaintCallback callback = onPaintBackground;
        callback(graphics);
        blank = false;
    }
    // Indexes, not iterators: a paint hook may have changed the lists.
    const RECT none = {0, 0, 0, 0};
    for (size_t i = 0; i < images.size(); ++i) {
        CImageStatic& image = *images[i];
        if (update && !Intersects(image.rect, *update))
            continue;
        if (blank && PictureOnly(image)) {
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            image.Draw(graphics, &none);
            graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
        } else {
            image.Draw(graphics, &none);
        }
        blank = false;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        CImageButton& button = *buttons[i];
        if (!update || Intersects(button.PaintBounds(), *update))
            button.Draw(graphics, mousePos, leftPressed ? 1 : 0, &none);
    }
    // Subdivided buttons held down lie above all others.
    for (size_t i = 0; i < buttons.size(); ++i) {
        CImageButton& button = *buttons[i];
        if (button.kind == ButtonKind::Parts && button.forcePressed &&
            (!update || Intersects(button.PaintBounds(), *update)))
            button.Draw(graphics, mousePos, leftPressed ? 1 : 0, &none);
    }
    if (onPaintForeground) {
        const PaintCallback callback = onPaintForeground;
        callback(graphics);
    }
}

bool CImagePaint::CopiedOver(const RECT& area) const
{
    if ((fillBackground && backBrush) || onPaintBackground)
        return false;
    // DrawAll copies the first image it meets here when it is a bare
    // picture; at its own size it then writes every pixel it covers.
    for (const auto& image : images) {
        if (!Intersects(image->rect, area))
            continue;
        const RECT& r = image->rect;
        RECT covered;
        return PictureOnly(*image) && static_cast<LONG>(image->image->GetWidth()) == r.right - r.left &&
               static_cast<LONG>(image->image->GetHeight()) == r.bottom - r.top &&
               IntersectRect(&covered, &r, &area) && EqualRect(&covered, &area);
    }
    return false;
}

bool CImagePaint::OnEraseBackground()
{
    RECT client = {0, 0, 0, 0};
    if (ownerWindow)
        GetClientRect(ownerWindow, &client);
    if (!EqualRect(&client, &erasedRect)) {
        Paint();
        erasedRect = client;
    }
    return true;
}

void CImagePaint::OnShowWindow(bool shown)
{
    if (shown) {
        if (layered)
            UpdateLayered();
    } else {
        mousePos = POINT{-1, -1};
    }
}

bool CImagePaint::OnSetCursor()
{
    if (!ownerWindow)
        return false;
    const POINT cursor = CursorInClient();
    for (const auto& button : buttons) {
        if (button->kind == ButtonKind::Link && button->visible && PtInRect(&button->rect, cursor)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return true;
        }
    }
    return false;
}

bool CImagePaint::OnMouseMove(POINT point)
{
    pointer.Begin(mousePos, leftPressed);
    mousePos = point;
    if (!tracking && ownerWindow) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = ownerWindow;
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
        RepaintPointerChange(partChanged);
        return false;
    }
    if (leftPressed)
        return false;

    CImageButton* old = hotButton;
    CImageButton* found = tracking ? HotButtonAt(point) : nullptr;
    const int foundId = found ? found->id : 0;
    hotButton = found;
    RepaintPointerChange(old, found);
    if (!found)
        return false;
    // A layered repaint runs the paint hooks; make sure the new hot button
    // survived them.
    if (hotButton != found || FindButton(foundId) != found)
        return false;
    if (onButtonHover && Holds(found)) {
        const ButtonCallback callback = onButtonHover;
        return !callback(found);
    }
    return false;
}

bool CImagePaint::OnLeftDown(POINT point, LPARAM devicePoint)
{
    pointer.Begin(mousePos, leftPressed);
    mousePos = point;
    bool onButton = false;
    if (hotButton && hotButton->visible && PtInRect(&hotButton->rect, point)) {
        CImageButton* button = hotButton;
        const int id = button->id;
        pressedRect = button->rect;
        leftPressed = true;
        button->HitTestPart(point);
        RepaintPointerChange(button);
        if (onButtonDown && Holds(button)) {
            const ButtonCallback callback = onButtonDown;
            if (!callback(button))
                return true;
        }
        // The callback may have run a loop that already saw the release,
        // removed the button or closed the window.
        if (!WindowAlive() || !leftPressed)
            return false;
        if (!hotButton || FindButton(id) != hotButton) {
            leftPressed = false;
            ClearRect(pressedRect);
            return false;
        }
        if (!captured) {
            SetCapture(ownerWindow);
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
            PostMessageW(ownerWindow, WM_NCLBUTTONDOWN, HTCAPTION, devicePoint);
    }
    if (!onButton)
        ClearRect(pressedRect);
    return false;
}

bool CImagePaint::OnLeftUp(POINT point)
{
    pointer.Begin(mousePos, leftPressed);
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
        if (!Click(button))
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
    const CImageButton* former = FindButton(id);
    if (former) {
        RepaintPointerChange(former);
    } else {
        RepaintPointerChange();
        Repaint(std::vector<RECT>{formerRect});
    }
    ClearRect(pressedRect);
    return false;
}

bool CImagePaint::OnRightDown(POINT point)
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
    if (onButtonRightDown) {
        const ButtonCallback callback = onButtonRightDown;
        if (!callback(button))
            return true;
    }
    if (!WindowAlive() || !rightPressed)
        return false;
    if (!hotButton || FindButton(id) != hotButton) {
        rightPressed = false;
        ClearRect(rightPressedRect);
        return false;
    }
    if (!captured) {
        SetCapture(ownerWindow);
        captured = true;
    }
    return false;
}

bool CImagePaint::OnRightUp(POINT point)
{
    mousePos = point;
    if (captured) {
        captured = false;
        ReleaseCapture();
    }
    rightPressed = false;
    if (hotButton) {
        if (PtInRect(&rightPressedRect, point)) {
            if (onButtonRightClick) {
                const ButtonCallback callback = onButtonRightClick;
                if (!callback(hotButton))
                    return false;
            }
        } else if (!PtInRect(&hotButton->rect, point)) {
            mousePos = POINT{-1, -1};
            hotButton = nullptr;
        }
    }
    ClearRect(rightPressedRect);
    return false;
}

bool CImagePaint::OnMouseLeave()
{
    pointer.Begin(mousePos, leftPressed);
    mousePos = POINT{-1, -1};
    tracking = false;
    if (leftPressed)
        return false;
    if (hotButton && WindowAlive()) {
        if (IsZoomed(ownerWindow)) {
            const POINT cursor = CursorInClient();
            if (PtInRect(&hotButton->rect, cursor))
                mousePos = cursor;
        }
        const CImageButton* former = hotButton;
        hotButton = nullptr;
        RepaintPointerChange(former);
    }
    hotButton = nullptr;
    return false;
}

bool CImagePaint::OnCaptureChanged(HWND newCapture)
{
    // Our own release has cleared `captured` already; anything else took
    // the mouse away in the middle of a press.
    if (!captured || newCapture == ownerWindow)
        return false;
    EndPress();
    return false;
}

bool CImagePaint::OnCancelMode()
{
    const bool release = captured && WindowAlive() && GetCapture() == ownerWindow;
    // The press ends first, so that the release below counts as our own.
    EndPress();
    if (release)
        ReleaseCapture();
    return false;
}

void CImagePaint::EndPress()
{
    const bool lookedPressed = leftPressed;
    pointer.Begin(mousePos, leftPressed);
    captured = false;
    leftPressed = false;
    rightPressed = false;
    ClearRect(pressedRect);
    ClearRect(rightPressedRect);
    if (lookedPressed)
        RepaintPointerChange(hotButton);
}

bool CImagePaint::WindowAlive() const
{
    return ownerWindow && IsWindow(ownerWindow);
}

bool CImagePaint::Holds(const CImageButton* button) const
{
    return std::any_of(buttons.begin(), buttons.end(),
                       [button](const std::unique_ptr<CImageButton>& b) { return b.get() == button; });
}

CImageButton* CImagePaint::HotButtonAt(POINT point) const
{
    for (const auto& button : buttons) {
        const bool decoration = button->id >= kFirstDecorationId && button->id <= kLastDecorationId;
        if (!decoration && PtInRect(&button->rect, point) && button->visible)
            return button.get();
    }
    return nullptr;
}

void CImagePaint::Repaint(const std::vector<RECT>& rects)
{
    // Never without a window: InvalidateRect(NULL, ...) would repaint the
    // whole desktop.
    if (rects.empty() || !WindowAlive())
        return;
    for (const RECT& rect : rects)
        target.Invalidate(ownerWindow, layered, rect);
    if (layered)
        RenderPending();
}

void CImagePaint::RepaintPointerChange(const CImageButton* also, const CImageButton* andAlso)
{
    std::vector<RECT> rects = pointer.Changed(buttons, mousePos, leftPressed);
    for (const CImageButton* button : {also, andAlso}) {
        if (button)
            rects.push_back(button->PaintBounds());
    }
    Repaint(rects);
}
