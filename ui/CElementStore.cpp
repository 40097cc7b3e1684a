#include "ui/CElementStore.h"

#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "ui/ElementLookup.h"
#include "ui/LoadPngImage.h"

#include <algorithm>

namespace {

// Buttons in this id range are decoration: drawn, never hot.
constexpr int kFirstDecorationId = 100;
constexpr int kLastDecorationId = 250;

} // namespace

CElementStore::CElementStore() = default;

CElementStore::~CElementStore() = default;

CImageButton* CElementStore::AddButton(HWND owner, int id, const RECT& rect, int normalId,
                                       int hoverId, int pressedId, int disabledId)
{
    if (CImageButton* existing = FindButton(id)) {
        existing->SetImages(normalId, hoverId, pressedId, disabledId);
        existing->SetText(L"");
        existing->SetRect(&rect);
        return existing;
    }
    auto button = std::make_unique<CImageButton>(owner, id, rect, L"");
    button->SetImages(normalId, hoverId, pressedId, disabledId);
    buttons.push_back(std::move(button));
    return buttons.back().get();
}

CImageButton* CElementStore::FindButton(int id) const
{
    return FindElement(buttons, id);
}

bool CElementStore::RemoveButton(int id)
{
    const auto it = FindElementIterator(buttons, id);
    if (it == buttons.end())
        return false;
    buttons.erase(it);
    return true;
}

CImageStatic* CElementStore::AddImage(const RECT& rect, int resourceId, int id, bool smooth)
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
    return image;
}

CImageStatic* CElementStore::FindImage(int id) const
{
    return FindElement(images, id);
}

bool CElementStore::RemoveImage(int id)
{
    const auto it = FindElementIterator(images, id);
    if (it == images.end())
        return false;
    images.erase(it);
    return true;
}

void CElementStore::Clear()
{
    images.clear();
    buttons.clear();
}

bool CElementStore::Holds(const CImageButton* button) const
{
    return std::any_of(buttons.begin(), buttons.end(),
                       [button](const std::unique_ptr<CImageButton>& b) { return b.get() == button; });
}

CImageButton* CElementStore::HotButtonAt(POINT point) const
{
    for (const auto& button : buttons) {
        const bool decoration = button->id >= kFirstDecorationId && button->id <= kLastDecorationId;
        if (!decoration && PtInRect(&button->rect, point) && button->visible)
            return button.get();
    }
    return nullptr;
}

CImageButton* CElementStore::LinkAt(POINT point) const
{
    for (const auto& button : buttons) {
        if (button->kind == ButtonKind::Link && button->visible && PtInRect(&button->rect, point))
            return button.get();
    }
    return nullptr;
}

void CElementStore::Relayout(int width, int height)
{
    for (const auto& button : buttons) {
        // Through SetRect: a button class may move more than its rectangle.
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
        // An image with a fixed edge stretches instead of moving.
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
}
