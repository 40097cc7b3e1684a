#include "browser/BrowserEvents.h"

#include <exdispid.h>

#include <utility>

namespace {

// The VARIANT an argument stands for: itself, or the one it refers to.
const VARIANT& Referenced(const VARIANT& arg)
{
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal)
        return *arg.pvarVal;
    return arg;
}

// The string an event argument carries, or null when there is none.
const wchar_t* StringArgument(const VARIANT& arg)
{
    const VARIANT& value = Referenced(arg);
    switch (value.vt) {
    case VT_BSTR:
        return value.bstrVal;
    case VT_BYREF | VT_BSTR:
        return value.pbstrVal ? *value.pbstrVal : nullptr;
    default:
        return nullptr;
    }
}

// A frame may legitimately be null; any other type is not a frame.
IDispatch* FrameArgument(const VARIANT& arg)
{
    const VARIANT& value = Referenced(arg);
    switch (value.vt) {
    case VT_DISPATCH:
        return value.pdispVal;
    case VT_BYREF | VT_DISPATCH:
        return value.ppdispVal ? *value.ppdispVal : nullptr;
    default:
        return nullptr;
    }
}

// Where a Cancel argument is written: a referenced VARIANT_BOOL (or short),
// or the boolean inside a referenced VARIANT.
VARIANT_BOOL* CancelArgument(const VARIANT& arg)
{
    if (arg.vt == (VT_BYREF | VT_BOOL) || arg.vt == (VT_BYREF | VT_I2))
        return arg.pboolVal;
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal && arg.pvarVal->vt == VT_BOOL)
        return &arg.pvarVal->boolVal;
    return nullptr;
}

IDispatch** NewWindowArgument(const VARIANT& arg)
{
    if (arg.vt == (VT_BYREF | VT_DISPATCH))
        return arg.ppdispVal;
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal && arg.pvarVal->vt == VT_DISPATCH)
        return &arg.pvarVal->pdispVal;
    return nullptr;
}

long LongArgument(const VARIANT& arg)
{
    const VARIANT& value = Referenced(arg);
    switch (value.vt) {
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
        return value.lVal;
    case VT_BYREF | VT_I4:
    case VT_BYREF | VT_UI4:
        return value.plVal ? *value.plVal : 0;
    default:
        return 0;
    }
}

} // namespace

BrowserEvents::BrowserEvents(TopLevelTest isTopLevel, std::function<void()> onNavigated,
                             std::function<void()> onTopLevelPage)
    : isTopLevel(std::move(isTopLevel)), onNavigated(std::move(onNavigated)), onTopLevelPage(std::move(onTopLevelPage))
{
}

void BrowserEvents::TopLevelPage(const VARIANT& frame)
{
    if (onTopLevelPage && isTopLevel && isTopLevel(FrameArgument(frame)))
        onTopLevelPage();
}

HRESULT BrowserEvents::Dispatch(DISPID id, const DISPPARAMS* params)
{
    const bool hasArgs = params && params->rgvarg;
    const VARIANT* args = hasArgs ? params->rgvarg : nullptr;
    const UINT count = hasArgs ? params->cArgs : 0;
    switch (id) {
    case DISPID_QUIT:
        Quit();
        return S_OK;
    case DISPID_TITLECHANGE:
        TitleChange(args, count);
        return S_OK;
    case DISPID_BEFORENAVIGATE2:
        BeforeNavigate(args, count);
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        NavigateComplete(args, count);
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        DocumentComplete(args, count);
        return S_OK;
    case DISPID_NEWWINDOW3:
        NewWindow(args, count);
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        return S_OK;
    case DISPID_NAVIGATEERROR:
        NavigateError(args, count);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// Each handler calls a copy of its callback, so a callback that replaces
// itself does not destroy the function that is running.

void BrowserEvents::Quit()
{
    if (QuitCallback callback = onQuit)
        callback();
}

void BrowserEvents::TitleChange(const VARIANT* args, UINT count)
{
    const wchar_t* title = count >= 1 ? StringArgument(args[0]) : nullptr;
    if (!title)
        return;
    if (TitleChangeCallback callback = onTitleChange)
        callback(title);
}

void BrowserEvents::BeforeNavigate(const VARIANT* args, UINT count)
{
    // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
    if (count < 7)
        return;
    const wchar_t* url = StringArgument(args[5]);
    VARIANT_BOOL* cancel = CancelArgument(args[0]);
    if (!url || !cancel)
        return;
    if (BeforeNavigateCallback callback = onBeforeNavigate)
        callback(FrameArgument(args[6]), url, cancel);
    // A navigation cancelled here may still be reported as failed; one that
    // goes on means that report is not coming.
    if (*cancel != VARIANT_FALSE)
        cancelledUrl = url;
    else
        cancelledUrl.clear();
}

void BrowserEvents::NavigateComplete(const VARIANT* args, UINT count)
{
    // pDisp, URL. A navigation is when the control's window appears.
    if (count < 2)
        return;
    if (onNavigated)
        onNavigated();
    TopLevelPage(args[1]);
    const wchar_t* url = StringArgument(args[0]);
    if (!url)
        return;
    if (NavigateCompleteCallback callback = onNavigateComplete)
        callback(url);
}

void BrowserEvents::DocumentComplete(const VARIANT* args, UINT count)
{
    // pDisp, URL.
    if (count < 2)
        return;
    TopLevelPage(args[1]);
    const wchar_t* url = StringArgument(args[0]);
    if (!url)
        return;
    if (DocumentCompleteCallback callback = onDocumentComplete)
        callback(FrameArgument(args[1]), url);
}

void BrowserEvents::NewWindow(const VARIANT* args, UINT count)
{
    // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl. Whatever comes, the
    // control opens no window of its own: cancelled before anything else.
    if (count < 5)
        return;
    short* cancel = CancelArgument(args[3]);
    if (cancel)
        *cancel = VARIANT_TRUE;
    const wchar_t* url = StringArgument(args[0]);
    if (!url || !*url)
        return;
    const wchar_t* context = StringArgument(args[1]);
    // The callback may write into the strings and the flag; hand it copies.
    std::wstring urlCopy(url);
    std::wstring contextCopy(context ? context : L"");
    short ownCancel = VARIANT_TRUE;
    short* cancelCopy = &ownCancel;
    if (NewWindowCallback callback = onNewWindow)
        callback(NewWindowArgument(args[4]), cancelCopy,
                 static_cast<unsigned long>(LongArgument(args[2])), &contextCopy[0], &urlCopy[0]);
}

void BrowserEvents::NavigateError(const VARIANT* args, UINT count)
{
    // pDisp, URL, TargetFrameName, StatusCode, Cancel.
    if (count < 5 || !isTopLevel || !isTopLevel(FrameArgument(args[4])))
        return;
    const wchar_t* url = StringArgument(args[3]);
    if (!url)
        return;
    if (!cancelledUrl.empty() && cancelledUrl == url) {
        cancelledUrl.clear();
        return;
    }
    const long status = LongArgument(args[1]);
    NavigateErrorCallback callback = onNavigateError;
    if (!callback)
        return;
    // The host shows its own panel: the control's error page would count
    // as a completed navigation and take it away.
    if (VARIANT_BOOL* cancel = CancelArgument(args[0]))
        *cancel = VARIANT_TRUE;
    callback(url, status);
}
