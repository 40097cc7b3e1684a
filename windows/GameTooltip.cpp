#include "windows/GameTooltip.h"

#include <strsafe.h>

#include <cwchar>

void GameTooltip::Create(HWND owner)
{
    if (!tip.hwnd)
        tip.Create(0, L"ToolTip", nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, owner);
}

void GameTooltip::SetText(const wchar_t* text)
{
    // Compared as it would be kept, so a long text is not handed on again
    // on every mouse move.
    wchar_t candidate[TextLength] = {};
    StringCchCopyW(candidate, TextLength, text ? text : L"");
    if (std::wcscmp(candidate, kept) == 0)
        return;
    StringCchCopyW(kept, TextLength, candidate);
    if (tip.hwnd)
        tip.SetTipText(kept);
}

void GameTooltip::Hide()
{
    if (tip.hwnd && IsWindow(tip.hwnd))
        ShowWindow(tip.hwnd, SW_HIDE);
}
