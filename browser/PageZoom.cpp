#include "browser/PageZoom.h"

#include <docobj.h>

void PageZoom::Ask(int value, IWebBrowser2* browser)
{
    percent = value < MinPercent ? MinPercent : value > MaxPercent ? MaxPercent : value;
    asked = true;
    Apply(browser, percent);
}

void PageZoom::Reapply(IWebBrowser2* browser) const
{
    // An explicit 100 is applied too: the default may not be 100.
    if (asked)
        Apply(browser, percent);
}

void PageZoom::Apply(IWebBrowser2* browser, int value)
{
    if (!browser)
        return;
    VARIANT in;
    VariantInit(&in);
    in.vt = VT_I4;
    in.lVal = value;
    browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &in, nullptr);
}
