#pragma once

#include "ui/CImageDialog.h"
#include "ui/ModalInputBlock.h"

// "Quit the game?" confirmation: a layered 295 x 190 picture with two
// buttons, run modally. Owning thread: main.
class CloseMsgWnd : public CImageDialog {
public:
    static constexpr int ConfirmButtonId = 1001;
    static constexpr int CancelButtonId = 1002;
    static constexpr int BackgroundId = 1011;
    static constexpr int Width = 295;
    static constexpr int Height = 190;

    CloseMsgWnd();

    // Confirmed when the user confirmed, Cancelled otherwise; AlreadyShown
    // when the dialog was already up (it is only brought forward then).
    DialogResult ShowModal(HWND owner);

    void OnCreate(CREATESTRUCTW* create) override;
    bool OnButtonClick(CImageButton* button) override;

private:
    // The owner and the thread's other windows, while the dialog runs.
    ModalInputBlock ownersBlocked;
};
