#pragma once

#include "ui/GdiPlusInclude.h"

#include <memory>

// What the owner does with a button besides pressing it.
enum class ButtonKind : int {
    Push = 0,
    Parts = 1, // subdivided: the owner asks HitTestPart and draws it again on top
    Link = 2,  // the owner shows the hand cursor over it
};

// How the state pictures are layered; any other value draws none.
enum class DrawMode : int {
    NoPicture = 0,
    State = 3,           // the state's picture (native size at the image offset, if set)
    StateThenNormal = 4, // the state's picture, then the normal one over it
    NormalThenState = 5, // the normal picture, then the state's over it
};

// Windowless button. The owner (image painter or menu row) tracks the mouse
// and passes the cursor point and held-button flag to Draw; the button turns
// them into its Normal, Hover or Pressed look. Clicks are the owner's business.
class CImageButton {
public:
    enum State { Normal, Hover, Pressed };

    CImageButton(HWND ownerWindow, int id, const RECT& rect, const wchar_t* caption);
    CImageButton(const CImageButton&) = delete;
    CImageButton& operator=(const CImageButton&) = delete;

    virtual ~CImageButton();
    // `overrideRect` replaces `rect` when its right differs from its left;
    // null counts as empty. `pressed` is the owner's held-left-button flag.
    virtual void Draw(Gdiplus::Graphics& graphics, POINT cursor, int pressed, const RECT* overrideRect);
    virtual void SetRect(const RECT* newRect);
    virtual bool HitTestPart(POINT point);
    virtual RECT GetPartRect();
    virtual void DrawText(Gdiplus::Graphics& graphics, RECT* textRect, Gdiplus::Brush* brush);

    // Replaces the four state pictures unless `normal` is 0 (then nothing
    // changes); an id of 0 leaves that state without a picture.
    void SetImages(int normal, int hover, int pressed, int disabled);
    // Two frames side by side: left half normal, right half hover.
    void SetImageStrip(int resourceId);
    // A 32-bpp ARGB copy of the source's columns [x, x + width), rows [0, height).
    static std::unique_ptr<Gdiplus::Bitmap> CropImage(Gdiplus::Image* source, int x, int width, int height);
    // A colour with alpha 0 leaves that state without a brush.
    CImageButton* SetTextColors(Gdiplus::ARGB normal, Gdiplus::ARGB hover, Gdiplus::ARGB pressed);
    // Copy a caption / tooltip text (cut to 255 characters; null = empty).
    void SetText(const wchar_t* caption);
    void SetTipText(const wchar_t* tip);

    // Where DrawText puts the caption for a text rectangle: after the icon,
    // inside textMargin (one pixel more at the bottom), in a centred band of
    // textLineHeight when that is set and smaller.
    Gdiplus::RectF CaptionLayout(const RECT& textRect) const;
    // Every pixel Draw may touch at `rect`: the rectangle, a picture placed
    // by the image offset, the icon. Drawing and repainting both use it.
    RECT PaintBounds() const;
    // The look Draw picks for a cursor point and held flag within `drawRect`.
    State StateAt(const RECT& drawRect, POINT cursor, int pressed) const;

    bool partHot = false;
    bool forcePressed = false;
    int rightAnchor = -1;
    int bottomAnchor = -1;
    int imageOffsetX = 0;
    int imageOffsetY = 0;
    RECT textMargin = {0, 2, 0, 0};
    bool showText = true;
    ButtonKind kind = ButtonKind::Push;
    DrawMode drawMode = DrawMode::State;
    int id;
    RECT rect;
    bool visible = true;
    bool noDefaultAction = false;
    std::unique_ptr<Gdiplus::Font> font;
    Gdiplus::Font* customFont = nullptr;  // borrowed
    // The caption's font at the drawing scale, when that differs.
    std::unique_ptr<Gdiplus::Font> scaledFont;
    wchar_t text[256] = {};
    int textLineHeight = 0;
    wchar_t tipText[256] = {};
    HWND ownerWindow;
    std::unique_ptr<Gdiplus::Image> normalImage;
    std::unique_ptr<Gdiplus::Image> hoverImage;
    std::unique_ptr<Gdiplus::Image> pressedImage;
    std::unique_ptr<Gdiplus::Image> disabledImage;
    std::unique_ptr<Gdiplus::Image> stripImage;
    bool hasIcon = false;
    std::unique_ptr<Gdiplus::Image> normalIcon;
    std::unique_ptr<Gdiplus::Image> hoverIcon;
    RECT iconRect = {0, 0, 0, 0};
    std::unique_ptr<Gdiplus::Pen> normalBorderPen;
    std::unique_ptr<Gdiplus::Pen> hoverBorderPen;
    std::unique_ptr<Gdiplus::Pen> pressedBorderPen;
    std::unique_ptr<Gdiplus::Brush> normalBackgroundBrush;
    std::unique_ptr<Gdiplus::Brush> hoverBackgroundBrush;
    std::unique_ptr<Gdiplus::Brush> pressedBackgroundBrush;
    std::unique_ptr<Gdiplus::SolidBrush> normalTextBrush;
    std::unique_ptr<Gdiplus::SolidBrush> hoverTextBrush;
    std::unique_ptr<Gdiplus::SolidBrush> pressedTextBrush;
    int textAlign = Gdiplus::StringAlignmentCenter;
};
