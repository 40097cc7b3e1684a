#pragma once

#include "ui/CImageMenu.h"

#include <windows.h>

#include <functional>
#include <string>

class CImageItem;

// The title bar's tools menu: "清除缓存", "刷新" and the boss key's name
// (no action). Its rows are made again each time it opens. Owning thread:
// the game window's (main).
class ToolsMenu {
public:
    static constexpr int CleanCacheItemId = 10015;
    static constexpr int RefreshItemId = 10016;
    static constexpr int BossKeyItemId = 10017;

    // `onChoice` gets the id of the row clicked; the menu closes after it.
    explicit ToolsMenu(std::function<void(int id)> onChoice);
    ToolsMenu(const ToolsMenu&) = delete;
    ToolsMenu& operator=(const ToolsMenu&) = delete;

    void Prepare();
    // Opens below the title bar of `game`, at the cursor.
    void Open(HWND game, const std::wstring& bossKeyText);
    void Close();
    bool shown() const;
    CImageMenu& menu() { return toolsMenu; }

private:
    void OnClick(CImageItem* row);

    std::function<void(int id)> onChoice;
    CImageMenu toolsMenu;
};
