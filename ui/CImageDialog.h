#pragma once

#include "ui/CImageCtrl.h"

// Image window run modally through its own message loop; derived dialogs
// set `dialogResult` before their window closes.
class CImageDialog : public CImageCtrl {
public:
    CImageDialog();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Runs the thread's messages until this dialog's window ends. False when
    // refused: another thread, already running, or no window.
    bool RunModalLoop();

    bool modalRunning = false;
    int dialogResult = 2;
};
