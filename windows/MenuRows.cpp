#include "windows/MenuRows.h"

#include "ui/CImageButton.h"
#include "ui/CImageItem.h"
#include "ui/CImageMenu.h"

namespace {

constexpr Gdiplus::ARGB kMenuHoverColor = 0xFF9CD0FE;
constexpr Gdiplus::ARGB kMenuTextColor = 0xFF0C0C0C;
constexpr int kMenuRowHeight = 24;
constexpr RECT kMenuButtonRect = {1, 1, 94, 94};

} // namespace

void MenuRows::Style(CImageMenu& menu)
{
    menu.SetWindowClassName(L"velmor_menu");
    menu.painter.itemHeight = kMenuRowHeight;
    menu.painter.SetHoverColor(kMenuHoverColor);
}

void MenuRows::Add(CImageMenu& menu, std::initializer_list<Entry> entries)
{
    for (const Entry& entry : entries) {
        if (CImageItem* row = menu.painter.AddItem(entry.id)) {
            if (CImageButton* button = row->AddButton(entry.id, kMenuButtonRect, entry.text))
                button->SetTextColors(kMenuTextColor, kMenuTextColor, kMenuTextColor);
        }
    }
}

void MenuRows::Close(CImageMenu& menu)
{
    if (menu.hwnd && IsWindow(menu.hwnd)) {
        ShowWindow(menu.hwnd, SW_HIDE);
        DestroyWindow(menu.hwnd);
    }
}
