#pragma once

#include "ui/CImageCtrl.h"

// What a modal image window ended with.
enum class DialogResult : int {
    AlreadyShown = 0, // it was up already and was only brought forward
    Confirmed = 1,
    Cancelled = 2,    // anything but a confirmation
};

// Image window run modally through its own message loop; derived dialogs
// set `dialogResult` before their window closes.
// Owning thread: the one that creates its window, as for every CWindowCtrl.
class CImageDialog : public CImageCtrl {
public:
    CImageDialog();

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Runs the thread's messages until this dialog's window ends. False when
    // refused: another thread, already running, or no window.
    bool RunModalLoop();

    bool modalRunning = false;
    DialogResult dialogResult = DialogResult::Cancelled;
};
