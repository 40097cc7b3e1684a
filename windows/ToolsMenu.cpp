#include "windows/ToolsMenu.h"

#include "ui/CImageItem.h"
#include "windows/MenuRows.h"

#include <utility>

ToolsMenu::ToolsMenu(std::function<void(int id)> onChoice) : onChoice(std::move(onChoice)) {}

void ToolsMenu::Prepare()
{
    MenuRows::Style(toolsMenu);
    toolsMenu.painter.SetOnItemClick([this](CImageItem* row) { OnClick(row); });
}

void ToolsMenu::Open(HWND game, const std::wstring& bossKeyText)
{
    if (!toolsMenu.hwnd)
        MenuRows::Add(toolsMenu,
                      {{CleanCacheItemId, L"清除缓存"}, {RefreshItemId, L"刷新"}, {BossKeyItemId, bossKeyText.c_str()}});
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    RECT own = {0, 0, 0, 0};
    GetWindowRect(game, &own);
    toolsMenu.ShowAt(POINT{cursor.x - 10, own.top + 30});
}

void ToolsMenu::Close()
{
    MenuRows::Close(toolsMenu);
}

bool ToolsMenu::shown() const
{
    return toolsMenu.hwnd && IsWindowVisible(toolsMenu.hwnd);
}

void ToolsMenu::OnClick(CImageItem* row)
{
    if (row && onChoice)
        onChoice(row->id);
    Close();
}
