#include "windows/CHotKey.h"

CHotKey::CHotKey(HWND target, int keyId, UINT modifiers, UINT virtualKey) : id(keyId)
{
    if (RegisterHotKey(target, keyId, modifiers, virtualKey))
        window = target;
}

CHotKey::~CHotKey()
{
    if (window)
        UnregisterHotKey(window, id);
}
