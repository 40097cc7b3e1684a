#include "windows/GameTitleBar.h"

#include "ui/BuiltInButtons.h"
#include "ui/CImageButton.h"
#include "ui/CImagePaint.h"
#include "ui/CImageStatic.h"
#include "ui/UiFont.h"
#include "windows/GameAddress.h"
#include "windows/SkinPictures.h"

#include <strsafe.h>

#include <cwchar>

namespace {

constexpr Gdiplus::ARGB kCaptionColor = 0xFFFFFFFF;

// Title-bar buttons, right to left; each keeps `anchor` pixels to the
// client's right edge after every resize.
struct TitleButton {
    int id;
    int offset;  // initial right edge: client right - offset
    int anchor;
    int normal, hover, pressed, disabled;
    const wchar_t* text;
};

constexpr TitleButton kTitleButtons[] = {
    {CloseButtonId, 0, 1, Picture::TitleClose, Picture::TitleCloseHover, Picture::TitleCloseDown,
     Picture::TitleClose, nullptr},
    {MaximizeButtonId, 25, 25, Picture::TitleMaximize, Picture::TitleMaximizeHover, Picture::TitleMaximizeDown,
     Picture::TitleMaximize, L"最大化"},
    {RestoreButtonId, 25, 25, Picture::TitleRestore, Picture::TitleRestoreHover, Picture::TitleRestoreDown,
     Picture::TitleRestore, L"还原"},
    {MinimizeButtonId, 50, 50, Picture::TitleMinimize, Picture::TitleMinimizeHover, Picture::TitleMinimizeDown,
     Picture::TitleMinimize, L"最小化"},
    {GameTitleBar::FullScreenButtonId, 75, 75, Picture::TitleFullScreen, Picture::TitleFullScreenHover,
     Picture::TitleFullScreenDown, Picture::TitleFullScreen, L"全屏(F10)"},
    {GameTitleBar::ToolsButtonId, 100, 100, Picture::TitleTools, Picture::TitleToolsHover, Picture::TitleToolsDown,
     Picture::TitleTools, L"工具"},
};

struct TitleLink {
    int id;
    int offset;  // initial rectangle: right - offset - 41 .. right - offset
    int anchor;
    int strip;
};

constexpr TitleLink kTitleLinks[] = {
    {ServiceLinkId, 113, 125, Picture::TitleLinkService},
    {ForumLinkId, 158, 170, Picture::TitleLinkForum},
    {OfficialLinkId, 203, 215, Picture::TitleLinkSite},
    {PaymentLinkId, 248, 260, Picture::TitleLinkPay},
};
constexpr int kLinkWidth = 41;
constexpr int kBackgroundWidth = 1366;

} // namespace

GameTitleBar::GameTitleBar()
{
    StringCchPrintfW(captionText, 260, L"%s", L"Lumavex");
}

GameTitleBar::~GameTitleBar() = default;

void GameTitleBar::Prepare()
{
    captionFont = CreateUiFont(L"Tahoma", 9.0f);
    captionBrush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(kCaptionColor));
}

void GameTitleBar::Release()
{
    captionFont.reset();
    scaledCaptionFont.reset();
    captionBrush.reset();
}

void GameTitleBar::AddTo(CImagePaint& painter, const RECT& client) const
{
    const int l = client.left;
    const int t = client.top;
    const int r = client.right;

    if (CImageStatic* background = painter.AddImage(RECT{l, t, l + kBackgroundWidth, t + Height},
                                                    Picture::TitleBackground, BackgroundId, true)) {
        background->rightAnchor = 0;
        background->fixedLeft = 0;
    }
    painter.AddImage(RECT{5, 5, 21, 21}, Picture::TitleIcon, IconId, false);

    for (const TitleButton& place : kTitleButtons) {
        const RECT rect = {r - place.offset - Height, t, r - place.offset, t + Height};
        CImageButton* button =
            painter.AddButton(place.id, rect, place.normal, place.hover, place.pressed, place.disabled);
        if (!button)
            continue;
        button->rightAnchor = place.anchor;
        if (place.text) {
            button->SetText(place.text);
            button->showText = false;
        }
        if (place.id == MaximizeButtonId)
            button->visible = false;
    }
    for (const TitleLink& link : kTitleLinks) {
        const RECT rect = {r - link.offset - kLinkWidth, 2, r - link.offset, 24};
        if (CImageButton* button = painter.AddButton(link.id, rect, 0, 0, 0, 0)) {
            button->SetImageStrip(link.strip);
            button->rightAnchor = link.anchor;
        }
    }
}

void GameTitleBar::PaintCaption(Gdiplus::Graphics& graphics, const RECT& client) const
{
    if (!captionFont || !captionBrush)
        return;
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
    const Gdiplus::RectF layout(22.0f, 4.0f, static_cast<Gdiplus::REAL>(client.right - 310), 20.0f);
    // Set at the window's scale, not stretched.
    DrawScaledString(graphics, captionText, *captionFont, layout, format, captionBrush.get(), scaledCaptionFont);
}
