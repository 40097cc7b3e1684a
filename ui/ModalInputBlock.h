#pragma once

#include <windows.h>

#include <vector>

// While a modal dialog runs, the other top-level windows of its thread take
// no input, so nothing underneath can open a second dialog. Owning thread:
// the dialog's.
class ModalInputBlock {
public:
    ModalInputBlock() = default;
    ~ModalInputBlock();
    ModalInputBlock(const ModalInputBlock&) = delete;
    ModalInputBlock& operator=(const ModalInputBlock&) = delete;

    // Disables every enabled top-level window of this thread but `dialog`.
    void Block(HWND dialog);
    // Enables again what Block disabled and still exists. Call it before the
    // dialog goes, so activation returns to its owner; safe to call twice.
    void Release();

private:
    static BOOL CALLBACK DisableOne(HWND window, LPARAM self);

    HWND dialog = nullptr;
    std::vector<HWND> disabled;
};
