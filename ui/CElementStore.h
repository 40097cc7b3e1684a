#pragma once

#include <windows.h>

#include <memory>
#include <vector>

class CImageButton;
class CImageStatic;

// A painter's windowless elements: images, then buttons, each list in draw
// order. Ids are unique within a list; adding an id that is there already
// changes that element in place, so it keeps its object and its place in
// the order. Rectangles are in 96-DPI layout units. Used on the thread of
// the painter's window.
class CElementStore {
public:
    using Images = std::vector<std::unique_ptr<CImageStatic>>;
    using Buttons = std::vector<std::unique_ptr<CImageButton>>;

    CElementStore();
    CElementStore(const CElementStore&) = delete;
    CElementStore& operator=(const CElementStore&) = delete;
    ~CElementStore();

    // `owner` is the window a new button reports to; an existing one keeps its own.
    CImageButton* AddButton(HWND owner, int id, const RECT& rect, int normalId, int hoverId,
                            int pressedId, int disabledId);
    CImageButton* FindButton(int id) const;
    bool RemoveButton(int id);
    CImageStatic* AddImage(const RECT& rect, int resourceId, int id, bool smooth);
    CImageStatic* FindImage(int id) const;
    bool RemoveImage(int id);
    void Clear();

    // Whether `button` is still in the list: a hook may have removed it.
    bool Holds(const CImageButton* button) const;
    // The first visible button under `point` that may become hot.
    CImageButton* HotButtonAt(POINT point) const;
    // The first visible link button under `point`.
    CImageButton* LinkAt(POINT point) const;
    // Moves anchored elements to keep their distance from the right and
    // bottom edges of a client area of `width` x `height`.
    void Relayout(int width, int height);

    Images images;
    Buttons buttons;
};
