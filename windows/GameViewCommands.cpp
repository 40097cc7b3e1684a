#include "windows/GameViewCommands.h"

#include "base/AppMessages.h"
#include "ui/CImageButton.h"
#include "windows/CFrameGame.h"
#include "windows/CleanCacheThread.h"
#include "windows/CloseMsgWnd.h"
#include "windows/GameAddress.h"

bool GameViewCommands::OnButtonClick(const CImageButton& button)
{
    switch (button.id) {
    case CloseButtonId: {
        // The dialog takes the activation; a busy page must not hold it.
        game.pageInput().Split();
        CloseMsgWnd dialog;
        if (dialog.ShowModal(game.hwnd) == DialogResult::Confirmed) {
            game.Close();
            return false;
        }
        game.pageInput().Join();
        return false;
    }
    case CFrameGame::FullScreenButtonId:
        PostMessageW(game.hwnd, FrameCommandMessage, ToggleFullScreenCommand, 0);
        return true;
    case CFrameGame::ToolsButtonId:
        game.toolsMenu().Open(game.hwnd, game.tray().MenuText());
        return true;
    case COfflinePanel::RetryButtonId:
        game.offline().RetryNow();
        return true;
    case ServiceLinkId:
    case ForumLinkId:
    case OfficialLinkId:
    case PaymentLinkId:
        game.back().OpenAddress(game.LinkAddress(button.id));
        return true;
    default:
        return true;
    }
}

void GameViewCommands::OnButtonHover(const CImageButton& button)
{
    // Over the tools button while a menu is open, the menu speaks for it.
    const HWND trayMenu = game.tray().menu().hwnd;
    const bool menuOpen = game.toolsMenu().shown() || (trayMenu && IsWindowVisible(trayMenu));
    if (button.id == CFrameGame::ToolsButtonId && menuOpen)
        return;
    game.tooltip().SetText(button.tipText[0] ? button.tipText : button.text);
}

void GameViewCommands::OnToolsChoice(int id)
{
    switch (id) {
    case CFrameGame::CleanCacheItemId:
        StartCleanCacheThread(game.hwnd);
        return;
    case CFrameGame::RefreshItemId:
        game.browser().proxy().Refresh();
        return;
    default:
        return;
    }
}
