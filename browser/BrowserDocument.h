#pragma once

#include "base/ComPtr.h"

#include <windows.h>

#include <exdisp.h>
#include <mshtml.h>
#include <oaidl.h>

// The navigation and document operations the site offers on the control,
// and its answer to a script error. Stateless; each call runs on the
// control's thread (the browser thread) with the control it is given,
// which may be null (then nothing is done).
class BrowserDocument {
public:
    BrowserDocument() = delete;

    // The current HTML document, or null.
    static ComPtr<IHTMLDocument2> Document(IWebBrowser2* webBrowser);
    // Asks the control for `url` with the navigation `flags`; 1 when asked.
    static int Navigate(IWebBrowser2* webBrowser, const wchar_t* url, int flags);
    // Replaces the page with `html` (written into about:blank). 1 when
    // written, else 0.
    static int LoadHtml(IWebBrowser2* webBrowser, const wchar_t* html);
    // The body's HTML into `buffer` when `*count` characters hold it; 1 when
    // it was read (also when it did not fit).
    static int GetBodyHtml(IWebBrowser2* webBrowser, wchar_t* buffer, int* count);
    static int ClickElement(IWebBrowser2* webBrowser, const wchar_t* id);
    static int SetElementValue(IWebBrowser2* webBrowser, const wchar_t* id, const wchar_t* value);
    // 1 when the value fitted into `buffer`; else 0 with the size needed in
    // `*count` (when the element has a value).
    static int GetElementValue(IWebBrowser2* webBrowser, const wchar_t* id, wchar_t* buffer, int* count);
    // Reads the error's details off the page's event object.
    static HRESULT HandleScriptError(VARIANT* pvaIn);
    // Fills a VARIANT with a fresh copy of `text`; false when out of memory.
    static bool MakeStringVariant(VARIANT& target, const wchar_t* text);

private:
    static ComPtr<IHTMLElement> FindElement(IWebBrowser2* webBrowser, const wchar_t* id);
};
