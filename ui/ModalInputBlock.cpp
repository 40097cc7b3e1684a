#include "ui/ModalInputBlock.h"

ModalInputBlock::~ModalInputBlock()
{
    Release();
}

void ModalInputBlock::Block(HWND dialogWindow)
{
    Release();
    dialog = dialogWindow;
    EnumThreadWindows(GetCurrentThreadId(), &ModalInputBlock::DisableOne,
                      reinterpret_cast<LPARAM>(this));
}

void ModalInputBlock::Release()
{
    // Reverse order: the owners last, so the one the dialog leaves active
    // is enabled when activation looks for it.
    for (auto it = disabled.rbegin(); it != disabled.rend(); ++it) {
        if (IsWindow(*it))
            EnableWindow(*it, TRUE);
    }
    disabled.clear();
    dialog = nullptr;
}

BOOL CALLBACK ModalInputBlock::DisableOne(HWND window, LPARAM self)
{
    auto* block = reinterpret_cast<ModalInputBlock*>(self);
    if (window != block->dialog && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        block->disabled.push_back(window);
    }
    return TRUE;
}
