#include "windows/COfflinePanel.h"

#include "ui/CImageButton.h"
#include "ui/CImagePaint.h"
#include "ui/UiFont.h"

#include <cwchar>

namespace {

constexpr int kMessageHeight = 28;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 32;
constexpr int kGap = 14;
// "宋体", as the toolkit's own captions; the font helper falls back.
constexpr wchar_t kFace[] = L"\u5B8B\u4F53";

std::unique_ptr<Gdiplus::SolidBrush> Brush(Gdiplus::ARGB color)
{
    return std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(color));
}

int CentreY(const RECT& area)
{
    return (area.top + area.bottom) / 2;
}

} // namespace

COfflinePanel::COfflinePanel() = default;

COfflinePanel::~COfflinePanel() = default;

RECT COfflinePanel::MessageRect(const RECT& pageArea)
{
    const int bottom = CentreY(pageArea) - kGap / 2;
    return RECT{pageArea.left, bottom - kMessageHeight, pageArea.right, bottom};
}

RECT COfflinePanel::ButtonRect(const RECT& pageArea)
{
    const int left = (pageArea.left + pageArea.right - kButtonWidth) / 2;
    const int top = CentreY(pageArea) + kGap / 2;
    return RECT{left, top, left + kButtonWidth, top + kButtonHeight};
}

void COfflinePanel::Show(CImagePaint& painter, HWND window, const RECT& pageArea)
{
    // Made on first use, on the window's thread (GDI+ runs per thread).
    if (!font)
        font = CreateUiFont(kFace, 12.0f, GB2312_CHARSET);
    if (!backBrush)
        backBrush = Brush(BackColor);
    if (!textBrush)
        textBrush = Brush(TextColor);
    visible = true;
    if (CImageButton* button = painter.AddButton(RetryButtonId, ButtonRect(pageArea), 0, 0, 0, 0)) {
        button->SetText(RetryText);
        button->SetTextColors(TextColor, 0xFFFFFFFF, 0xFFFFFFFF);
        button->normalBackgroundBrush = Brush(ButtonColor);
        button->hoverBackgroundBrush = Brush(ButtonHoverColor);
        button->pressedBackgroundBrush = Brush(ButtonPressedColor);
    }
    Layout(painter, pageArea);
    if (window && IsWindow(window))
        InvalidateRect(window, nullptr, FALSE);
}

void COfflinePanel::Hide(CImagePaint& painter, HWND window)
{
    if (!visible)
        return;
    visible = false;
    painter.RemoveButton(RetryButtonId);
    if (window && IsWindow(window))
        InvalidateRect(window, nullptr, FALSE);
}

void COfflinePanel::Layout(CImagePaint& painter, const RECT& pageArea)
{
    area = pageArea;
    if (CImageButton* button = painter.FindButton(RetryButtonId)) {
        const RECT rect = ButtonRect(pageArea);
        button->SetRect(&rect);
    }
}

void COfflinePanel::Paint(Gdiplus::Graphics& graphics) const
{
    if (!visible || !backBrush || !textBrush)
        return;
    graphics.FillRectangle(backBrush.get(), static_cast<INT>(area.left), static_cast<INT>(area.top),
                           static_cast<INT>(area.right - area.left), static_cast<INT>(area.bottom - area.top));
    if (!font)
        return;
    const RECT m = MessageRect(area);
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(m.left), static_cast<Gdiplus::REAL>(m.top),
                                static_cast<Gdiplus::REAL>(m.right - m.left),
                                static_cast<Gdiplus::REAL>(m.bottom - m.top));
    DrawScaledString(graphics, Message, *font, layout, format, textBrush.get(), scaledFont);
}
