#pragma once

#include <windows.h>

class CFrameGame;
class CImageButton;

// What the game window's buttons and tools menu do: close (after asking),
// full screen, the tools menu and its rows, the retry button, the title
// bar's links, and which tooltip a hovered button shows. Acts through the
// game window's public parts. Owning thread: the game window's (main).
class GameViewCommands {
public:
    explicit GameViewCommands(CFrameGame& game) : game(game) {}
    GameViewCommands(const GameViewCommands&) = delete;
    GameViewCommands& operator=(const GameViewCommands&) = delete;

    // False when the click was consumed (the window may be closing).
    bool OnButtonClick(const CImageButton& button);
    void OnButtonHover(const CImageButton& button);
    void OnToolsChoice(int id);

private:
    CFrameGame& game;
};
