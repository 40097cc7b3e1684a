#include "windows/CloseMsgWnd.h"

#include "ui/CImageButton.h"
#include "windows/SkinPictures.h"

CloseMsgWnd::CloseMsgWnd()
{
    SetWindowClassName(L"velmorkastel");
}

DialogResult CloseMsgWnd::ShowModal(HWND owner)
{
    if (hwnd && IsWindow(hwnd)) {
        SetActiveWindow(hwnd);
        SetForegroundWindow(hwnd);
        return DialogResult::AlreadyShown;
    }
    dialogResult = DialogResult::Cancelled;
    if (GetSystemMetrics(SM_CXSCREEN) > Width - 1 && GetSystemMetrics(SM_CYSCREEN) > Height - 1) {
        minWidth = Width;
        minHeight = Height;
    }

    RECT ownerRect = {};
    if (owner)
        GetWindowRect(owner, &ownerRect);
    const int left = ownerRect.left + (ownerRect.right - minWidth - ownerRect.left) / 2;
    const int top = ownerRect.top + (ownerRect.bottom - minHeight - ownerRect.top) / 2;

    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    if (!Create(0, nullptr, nullptr, style, left, top, minWidth, minHeight, owner))
        return dialogResult;
    // Never block the other windows under a dialog the user cannot see: a
    // layered picture the system refused is painted the ordinary way.
    if (!painter.OnScreen())
        painter.LeaveLayered();
    ownersBlocked.Block(hwnd);
    RunModalLoop();
    // However the loop ended (the owner may have gone too).
    ownersBlocked.Release();
    return dialogResult;
}

void CloseMsgWnd::OnCreate(CREATESTRUCTW*)
{
    painter.EnableLayered();
    painter.dragEnabled = true;
    painter.captionRect = RECT{0, 0, Width, Height};

    // The dialog sits in the middle of the primary screen, not over its owner,
    // at its monitor's scale.
    const int dpi = static_cast<int>(painter.Dpi());
    const int width = MulDiv(Width, dpi, 96);
    const int height = MulDiv(Height, dpi, 96);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    MoveWindow(hwnd, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height, TRUE);

    painter.AddButton(ConfirmButtonId, RECT{50, 100, 118, 135}, Picture::DialogConfirm, Picture::DialogConfirmHover,
                      Picture::DialogConfirmHover, Picture::DialogConfirm);
    painter.AddButton(CancelButtonId, RECT{178, 100, 246, 135}, Picture::DialogCancel, Picture::DialogCancelHover,
                      Picture::DialogCancelHover, Picture::DialogCancel);
    // Added last but drawn first: images always lie under the buttons.
    painter.AddImage(RECT{0, 0, Width, Height}, Picture::DialogBackground, BackgroundId, false);
}

bool CloseMsgWnd::OnButtonClick(CImageButton* button)
{
    if (!button)
        return true;
    switch (button->id) {
    case ConfirmButtonId:
        dialogResult = DialogResult::Confirmed;
        break;
    case CancelButtonId:
        dialogResult = DialogResult::Cancelled;
        break;
    default:
        return true;
    }
    modalRunning = false;
    ownersBlocked.Release();
    DestroyWindow(hwnd);
    return false;
}
