#include "browser/CWebBrowser.h"

#include <exdispid.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <cwchar>

namespace {

// CGID_DocHostCommandHandler: the command group of the script-error query.
const GUID kDocHostCommandHandler = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

constexpr UINT kFirstKeyMessage = 0x100;  // WM_KEYDOWN
constexpr UINT kLastKeyMessage = 0x109;   // WM_UNICHAR
constexpr LONG_PTR kNotTranslated = 1;

// The string an event argument carries: directly, by reference, or inside a
// referenced VARIANT (how the control passes URLs). Null when there is none.
const wchar_t* StringArgument(const VARIANT& arg, bool followVariant = true)
{
    switch (arg.vt) {
    case VT_BSTR:
        return arg.bstrVal;
    case VT_BYREF | VT_BSTR:
        return arg.pbstrVal ? *arg.pbstrVal : nullptr;
    case VT_BYREF | VT_VARIANT:
        return followVariant && arg.pvarVal ? StringArgument(*arg.pvarVal, false) : nullptr;
    default:
        return nullptr;
    }
}

// A frame may legitimately be null; any other type is not a frame.
IDispatch* FrameArgument(const VARIANT& arg)
{
    return arg.vt == VT_DISPATCH ? arg.pdispVal : nullptr;
}

VARIANT_BOOL* CancelArgument(const VARIANT& arg)
{
    return arg.vt == (VT_BYREF | VT_BOOL) ? arg.pboolVal : nullptr;
}

// Fills a VARIANT with a fresh copy of `text`; false when out of memory.
bool MakeStringVariant(VARIANT& target, const wchar_t* text)
{
    VariantInit(&target);
    target.bstrVal = SysAllocString(text);
    if (!target.bstrVal)
        return false;
    target.vt = VT_BSTR;
    return true;
}

// Copies `text` (length `length`) with its terminator when `capacity`
// characters hold it, zeroing the whole buffer first.
bool CopyOut(const wchar_t* text, int length, wchar_t* buffer, int capacity)
{
    if (!buffer || capacity < length + 1)
        return false;
    wmemset(buffer, 0, capacity);
    if (length > 0)
        wmemcpy(buffer, text, length);
    return true;
}

}  // namespace

CWebBrowser::~CWebBrowser()
{
    // The owner detaches on the control's thread; this only catches a site
    // that was never detached (then this thread must be that thread).
    Detach();
}

// ---- IUnknown ----

HRESULT STDMETHODCALLTYPE CWebBrowser::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The in-place interfaces are offered only until the control has
    // activated; later requests for them are refused.
    const bool inPlaceOffered = activated == 0;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID_DWebBrowserEvents2))
        *ppv = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IOleClientSite))
        *ppv = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceSite) && inPlaceOffered)
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else if ((IsEqualIID(riid, IID_IOleInPlaceFrame) || IsEqualIID(riid, IID_IOleInPlaceUIWindow)) &&
             inPlaceOffered)
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(riid, IID_IDocHostUIHandler))
        *ppv = static_cast<IDocHostUIHandler*>(this);
    else
        return E_NOINTERFACE;
    static_cast<IDispatch*>(this)->AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CWebBrowser::AddRef()
{
    InterlockedIncrement(&refCount);
    return 0;
}

ULONG STDMETHODCALLTYPE CWebBrowser::Release()
{
    // The window object owns the site; the count never frees it.
    InterlockedDecrement(&refCount);
    return 0;
}

// ---- IDispatch: the event sink ----

HRESULT STDMETHODCALLTYPE CWebBrowser::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo)
        *pctinfo = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD,
                                              DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*, UINT*)
{
    if (!IsEqualIID(riid, IID_NULL))
        return E_INVALIDARG;
    const bool hasArgs = pDispParams && pDispParams->rgvarg;
    const VARIANT* args = hasArgs ? pDispParams->rgvarg : nullptr;
    const UINT count = hasArgs ? pDispParams->cArgs : 0;
    switch (dispIdMember) {
    case DISPID_QUIT:
        QuitEvent();
        return S_OK;
    case DISPID_TITLECHANGE:
        TitleChangeEvent(args, count);
        return S_OK;
    case DISPID_BEFORENAVIGATE2:
        BeforeNavigateEvent(args, count);
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        NavigateCompleteEvent(args, count);
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        DocumentCompleteEvent(args, count);
        return S_OK;
    case DISPID_NEWWINDOW3:
        NewWindowEvent(args, count);
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        return S_OK;
    case DISPID_NAVIGATEERROR:
        NavigateErrorEvent(args, count);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// Each handler calls a copy of its callback, so a callback that replaces
// itself does not destroy the function that is running.

void CWebBrowser::QuitEvent()
{
    if (QuitCallback callback = OnQuit)
        callback();
}

void CWebBrowser::TitleChangeEvent(const VARIANT* args, UINT count)
{
    if (count < 1 || args[0].vt != VT_BSTR || !args[0].bstrVal)
        return;
    if (TitleChangeCallback callback = OnTitleChange)
        callback(args[0].bstrVal);
}

void CWebBrowser::BeforeNavigateEvent(const VARIANT* args, UINT count)
{
    // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel.
    if (count < 7)
        return;
    const wchar_t* url = StringArgument(args[5]);
    VARIANT_BOOL* cancel = CancelArgument(args[0]);
    if (!url || !cancel)
        return;
    if (BeforeNavigateCallback callback = OnBeforeNavigate)
        callback(FrameArgument(args[6]), url, cancel);
    // A navigation cancelled here may still be reported as failed; one that
    // goes on means that report is not coming.
    if (*cancel != VARIANT_FALSE)
        cancelledUrl = url;
    else
        cancelledUrl.clear();
}

void CWebBrowser::NavigateCompleteEvent(const VARIANT* args, UINT count)
{
    // pDisp, URL. A navigation is when the control's window appears.
    if (count < 2)
        return;
    RefreshControlWindow();
    const wchar_t* url = StringArgument(args[0]);
    if (!url)
        return;
    if (NavigateCompleteCallback callback = OnNavigateComplete)
        callback(url);
}

void CWebBrowser::DocumentCompleteEvent(const VARIANT* args, UINT count)
{
    // pDisp, URL.
    if (count < 2)
        return;
    const wchar_t* url = StringArgument(args[0]);
    if (!url)
        return;
    if (DocumentCompleteCallback callback = OnDocumentComplete)
        callback(FrameArgument(args[1]), url);
}

void CWebBrowser::NewWindowEvent(const VARIANT* args, UINT count)
{
    // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl.
    if (count < 5)
        return;
    IDispatch** newWindow = args[4].vt == (VT_BYREF | VT_DISPATCH) ? args[4].ppdispVal : nullptr;
    short* cancel = CancelArgument(args[3]);
    const unsigned long flags =
        args[2].vt == VT_I4 || args[2].vt == VT_UI4 ? static_cast<unsigned long>(args[2].ulVal) : 0;
    const wchar_t* context = StringArgument(args[1]);
    const wchar_t* url = StringArgument(args[0]);
    if (!newWindow || !cancel || !url)
        return;
    // The callback may write into the strings; hand it its own copies.
    std::wstring urlCopy(url);
    std::wstring contextCopy(context ? context : L"");
    if (NewWindowCallback callback = OnNewWindow)
        callback(newWindow, cancel, flags, &contextCopy[0], &urlCopy[0]);
}

void CWebBrowser::NavigateErrorEvent(const VARIANT* args, UINT count)
{
    // pDisp, URL, TargetFrameName, StatusCode, Cancel.
    if (count < 5 || detaching || !IsControl(FrameArgument(args[4])))
        return;
    const wchar_t* url = StringArgument(args[3]);
    if (!url)
        return;
    if (!cancelledUrl.empty() && cancelledUrl == url) {
        cancelledUrl.clear();
        return;
    }
    long status = 0;
    const VARIANT& code = args[1];
    if (code.vt == (VT_BYREF | VT_VARIANT) && code.pvarVal && code.pvarVal->vt == VT_I4)
        status = code.pvarVal->lVal;
    else if (code.vt == VT_I4)
        status = code.lVal;
    NavigateErrorCallback callback = OnNavigateError;
    if (!callback)
        return;
    // The host shows its own panel: the control's error page would count
    // as a completed navigation and take it away.
    if (VARIANT_BOOL* cancel = CancelArgument(args[0]))
        *cancel = VARIANT_TRUE;
    callback(url, status);
}

bool CWebBrowser::IsControl(IDispatch* frame) const
{
    if (!frame || !controlIdentity)
        return false;
    ComPtr<IUnknown> identity;
    if (FAILED(identity.QueryFrom(frame, IID_IUnknown)))
        return false;
    return identity.get() == controlIdentity.get();
}

// ---- IOleClientSite ----

HRESULT STDMETHODCALLTYPE CWebBrowser::SaveObject()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::ShowObject()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnShowWindow(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::RequestNewObjectLayout()
{
    return S_OK;
}

// ---- IOleWindow ----

HRESULT STDMETHODCALLTYPE CWebBrowser::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = hostWindow;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

// ---- IOleInPlaceSite ----

HRESULT STDMETHODCALLTYPE CWebBrowser::CanInPlaceActivate()
{
    if (activated)
        return S_FALSE;
    activated = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnInPlaceActivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnUIActivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                                        LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                        LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (ppFrame) {
        *ppFrame = static_cast<IOleInPlaceFrame*>(this);
        static_cast<IDispatch*>(this)->AddRef();
    }
    if (ppDoc)
        *ppDoc = nullptr;
    RECT client = {};
    GetClientRect(hostWindow, &client);
    if (lprcPosRect)
        *lprcPosRect = client;
    if (lprcClipRect)
        *lprcClipRect = client;
    if (lpFrameInfo) {
        lpFrameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = GetParent(hostWindow);
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::Scroll(SIZE)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnUIDeactivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnInPlaceDeactivate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::DiscardUndoState()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::DeactivateAndUndo()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnPosRectChange(LPCRECT)
{
    // The host resizes the control by moving its window.
    return S_OK;
}

// ---- IOleInPlaceUIWindow / IOleInPlaceFrame ----

HRESULT STDMETHODCALLTYPE CWebBrowser::GetBorder(LPRECT lprectBorder)
{
    if (!lprectBorder)
        return E_POINTER;
    SetRectEmpty(lprectBorder);
    GetClientRect(hostWindow, lprectBorder);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::RequestBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::SetBorderSpace(LPCBORDERWIDTHS)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::SetMenu(HMENU, HOLEMENU, HWND)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::RemoveMenus(HMENU)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::SetStatusText(LPCOLESTR)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::TranslateAccelerator(LPMSG, WORD)
{
    return E_NOTIMPL;
}

// ---- IDocHostUIHandler ----

HRESULT STDMETHODCALLTYPE CWebBrowser::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_FALSE;  // the control shows its own menu
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    // THEME: the page's form controls in the system's visual style.
    pInfo->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME;
    if (hideScrollBars)
        pInfo->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
    pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    pInfo->pchHostCss = nullptr;
    pInfo->pchHostNS = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                              IOleInPlaceFrame*, IOleInPlaceUIWindow*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::HideUI()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::UpdateUI()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::TranslateAccelerator(LPMSG, const GUID*, DWORD)
{
    return S_FALSE;
}

// The next four answer S_OK with nothing to offer: the out value is cleared
// so that a caller which did not clear it first reads null, not garbage.

HRESULT STDMETHODCALLTYPE CWebBrowser::GetOptionKeyPath(LPOLESTR* pchKey, DWORD)
{
    if (pchKey)
        *pchKey = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget)
{
    if (ppDropTarget)
        *ppDropTarget = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::GetExternal(IDispatch** ppDispatch)
{
    if (!ppDispatch)
        return E_POINTER;
    *ppDispatch = static_cast<IDispatch*>(&external);
    external.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::TranslateUrl(DWORD, OLECHAR*, OLECHAR** ppchURLOut)
{
    if (ppchURLOut)
        *ppchURLOut = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::FilterDataObject(IDataObject*, IDataObject** ppDORet)
{
    if (ppDORet)
        *ppDORet = nullptr;
    return S_OK;
}

// ---- The control's life ----

bool CWebBrowser::Attach(HWND host)
{
    if (activated || oleObject || !host)
        return false;
    // Cleared so QueryInterface offers the in-place interfaces until the
    // control's CanInPlaceActivate below.
    activated = 0;

    auto fail = [this] {
        Detach();
        hostWindow = nullptr;  // not attached: requests for it must wait
        return false;
    };

    if (FAILED(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, storage.put())))
        return fail();
    if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr,
                         static_cast<IOleClientSite*>(this), storage.get(), oleObject.putVoid())) ||
        !oleObject)
        return fail();
    controlIdentity.QueryFrom(oleObject.get(), IID_IUnknown);
    inPlaceObject.QueryFrom(oleObject.get(), IID_IOleInPlaceObject);
    inPlaceActiveObject.QueryFrom(oleObject.get(), IID_IOleInPlaceActiveObject);
    webBrowser.QueryFrom(oleObject.get(), IID_IWebBrowser2);
    if (!webBrowser)
        return fail();

    hostWindow = host;
    RECT rc = {};
    GetClientRect(host, &rc);
    if (FAILED(oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, host,
                                 &rc)))
        return fail();

    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(container.QueryFrom(webBrowser.get(), IID_IConnectionPointContainer)) &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) && point) {
        if (FAILED(point->Advise(static_cast<IDispatch*>(this), &eventCookie)))
            eventCookie = 0;
    }
    activated = 1;
    return true;
}

void CWebBrowser::Detach()
{
    // Whatever the control reports while it is stopped here is not a failure.
    detaching = true;
    if (eventCookie && webBrowser) {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        if (SUCCEEDED(container.QueryFrom(webBrowser.get(), IID_IConnectionPointContainer)) &&
            SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) && point)
            point->Unadvise(eventCookie);
    }
    eventCookie = 0;
    if (inPlaceObject)
        inPlaceObject->InPlaceDeactivate();
    if (oleObject) {
        oleObject->Close(OLECLOSE_NOSAVE);
        // Close keeps the site for a later DoVerb; this takes it back.
        oleObject->SetClientSite(nullptr);
    }
    webBrowser.Reset();
    inPlaceActiveObject.Reset();
    inPlaceObject.Reset();
    oleObject.Reset();
    storage.Reset();
    controlIdentity.Reset();
    controlWindow = nullptr;
    activated = 0;
    detaching = false;
}

HWND CWebBrowser::GetControlWindow()
{
    if (IsWindow(controlWindow))
        return controlWindow;
    RefreshControlWindow();
    return controlWindow;
}

void CWebBrowser::RefreshControlWindow()
{
    if (!webBrowser)
        return;
    ComPtr<IServiceProvider> provider;
    if (FAILED(provider.QueryFrom(webBrowser.get(), IID_IServiceProvider)))
        return;
    ComPtr<IOleWindow> window;
    if (FAILED(provider->QueryService(SID_SShellBrowser, IID_IOleWindow, window.putVoid())) || !window)
        return;
    HWND found = nullptr;
    if (FAILED(window->GetWindow(&found))) {
        controlWindow = nullptr;
        return;
    }
    controlWindow = found;
    if (ControlWindowCallback callback = OnControlWindow)
        callback(found);
}

LONG_PTR CWebBrowser::TranslateBrowserKey(MSG* msg)
{
    if (!msg || msg->message < kFirstKeyMessage || msg->message > kLastKeyMessage)
        return kNotTranslated;
    if (!webBrowser)
        return E_NOTIMPL;
    // Only the document window takes the control's accelerators.
    wchar_t name[512] = {};
    GetClassNameW(msg->hwnd, name, 511);
    if (wcscmp(name, L"Internet Explorer_Server") == 0 && inPlaceActiveObject)
        return inPlaceActiveObject->TranslateAccelerator(msg);
    return kNotTranslated;
}

// ---- Navigation and the document ----

int CWebBrowser::Navigate(const wchar_t* url, int flags)
{
    if (!webBrowser || !url)
        return 0;
    VARIANT target;
    if (!MakeStringVariant(target, url))
        return 0;
    VARIANT navigateFlags;
    VariantInit(&navigateFlags);
    navigateFlags.vt = VT_I4;
    navigateFlags.lVal = flags;
    webBrowser->Navigate2(&target, &navigateFlags, nullptr, nullptr, nullptr);
    VariantClear(&target);
    return 1;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*)
{
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CWebBrowser::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD, VARIANT* pvaIn,
                                            VARIANT* pvaOut)
{
    if (!pguidCmdGroup || !IsEqualGUID(*pguidCmdGroup, kDocHostCommandHandler))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (nCmdID != OLECMDID_SHOWSCRIPTERROR)
        return OLECMDERR_E_NOTSUPPORTED;
    const HRESULT result = HandleScriptError(pvaIn);
    if (pvaOut) {
        // True: keep running the page's scripts, show no dialog.
        VariantInit(pvaOut);
        pvaOut->vt = VT_BOOL;
        pvaOut->boolVal = VARIANT_TRUE;
    }
    return result;
}

HRESULT CWebBrowser::HandleScriptError(VARIANT* pvaIn)
{
    if (!pvaIn || (pvaIn->vt != VT_UNKNOWN && pvaIn->vt != VT_DISPATCH) || !pvaIn->punkVal)
        return E_INVALIDARG;
    ComPtr<IHTMLDocument2> document;
    HRESULT hr = document.QueryFrom(pvaIn->punkVal, IID_IHTMLDocument2);
    if (FAILED(hr))
        return hr;
    ComPtr<IHTMLWindow2> window;
    hr = document->get_parentWindow(window.put());
    if (FAILED(hr) || !window)
        return FAILED(hr) ? hr : E_FAIL;
    ComPtr<IHTMLEventObj> event;
    hr = window->get_event(event.put());
    if (FAILED(hr) || !event)
        return FAILED(hr) ? hr : E_FAIL;
    // Read, not kept: the values matter only to a debugger.
    static const wchar_t* const properties[] = {L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                                L"errorUrl"};
    for (const wchar_t* property : properties) {
        LPOLESTR name = const_cast<LPOLESTR>(property);
        DISPID id = DISPID_UNKNOWN;
        hr = event->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id);
        if (FAILED(hr))
            continue;
        DISPPARAMS noArgs = {};
        VARIANT value;
        VariantInit(&value);
        hr = event->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &noArgs, &value, nullptr,
                           nullptr);
        VariantClear(&value);
    }
    return hr;
}

ComPtr<IHTMLDocument2> CWebBrowser::Document2()
{
    ComPtr<IHTMLDocument2> document;
    if (!webBrowser)
        return document;
    ComPtr<IDispatch> dispatch;
    if (FAILED(webBrowser->get_Document(dispatch.put())) || !dispatch)
        return document;
    document.QueryFrom(dispatch.get(), IID_IHTMLDocument2);
    return document;
}

IHTMLDocument2* CWebBrowser::GetDocument()
{
    return Document2().Detach();
}

ComPtr<IHTMLElement> CWebBrowser::FindElement(const wchar_t* id)
{
    ComPtr<IHTMLElement> element;
    if (!id)
        return element;
    ComPtr<IHTMLDocument2> document = Document2();
    if (!document)
        return element;
    ComPtr<IHTMLDocument3> document3;
    if (FAILED(document3.QueryFrom(document.get(), IID_IHTMLDocument3)))
        return element;
    BSTR name = SysAllocString(id);
    if (!name)
        return element;
    document3->getElementById(name, element.put());
    SysFreeString(name);
    return element;
}

int CWebBrowser::LoadHtml(const wchar_t* html)
{
    if (!html || !webBrowser)
        return 0;
    VARIANT blank;
    if (!MakeStringVariant(blank, L"about:blank"))
        return 0;
    webBrowser->Navigate2(&blank, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&blank);

    ComPtr<IHTMLDocument2> document = Document2();
    if (!document)
        return 0;
    SAFEARRAYBOUND bound = {1, 0};
    SAFEARRAY* lines = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!lines)
        return 0;
    int result = 0;
    VARIANT* element = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&element)))) {
        if (MakeStringVariant(*element, html)) {
            document->write(lines);
            document->close();
            result = 1;
        }
        SafeArrayUnaccessData(lines);
    }
    SafeArrayDestroy(lines);  // also frees the string in the element
    return result;
}

int CWebBrowser::GetBodyHtml(wchar_t* buffer, int* count)
{
    if (!buffer || !count)
        return 0;
    ComPtr<IHTMLDocument2> document = Document2();
    if (!document)
        return 0;
    ComPtr<IHTMLElement> body;
    if (FAILED(document->get_body(body.put())) || !body)
        return 0;
    BSTR text = nullptr;
    if (FAILED(body->get_innerHTML(&text)))
        return 0;
    CopyOut(text, static_cast<int>(SysStringLen(text)), buffer, *count);
    SysFreeString(text);
    return 1;
}

int CWebBrowser::ClickElement(const wchar_t* id)
{
    ComPtr<IHTMLElement> element = FindElement(id);
    if (!element)
        return 0;
    element->click();
    return 1;
}

int CWebBrowser::SetElementValue(const wchar_t* id, const wchar_t* value)
{
    if (!id || !value)
        return 0;
    ComPtr<IHTMLElement> element = FindElement(id);
    if (!element)
        return 0;
    BSTR attribute = SysAllocString(L"value");
    VARIANT newValue;
    const bool ready = attribute && MakeStringVariant(newValue, value);
    if (ready) {
        element->setAttribute(attribute, newValue, 1);
        VariantClear(&newValue);
    }
    SysFreeString(attribute);
    return ready ? 1 : 0;
}

int CWebBrowser::GetElementValue(const wchar_t* id, wchar_t* buffer, int* count)
{
    if (!count)
        return 0;
    ComPtr<IHTMLElement> element = FindElement(id);
    if (!element)
        return 0;
    BSTR attribute = SysAllocString(L"value");
    if (!attribute)
        return 0;
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = element->getAttribute(attribute, 0, &value);
    SysFreeString(attribute);
    if (FAILED(hr))
        return 0;
    if (value.vt != VT_BSTR && FAILED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
        VariantClear(&value);
        return 0;
    }
    const int length = static_cast<int>(SysStringLen(value.bstrVal));
    const bool copied = CopyOut(value.bstrVal, length, buffer, *count);
    VariantClear(&value);
    if (copied)
        return 1;
    *count = length + 1;
    return 0;
}
