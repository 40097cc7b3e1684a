#include "ui/CButtonHooks.h"

bool CButtonHooks::Run(const Callback& hook, CImageButton* button)
{
    if (!hook)
        return true;
    // `hook` may be replaced while it runs.
    const Callback callback = hook;
    return callback(button);
}
