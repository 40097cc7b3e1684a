#include "browser/CWebBrowser.h"

#include "browser/BrowserDocument.h"

#include <exdispid.h>

namespace {

// CGID_DocHostCommandHandler: the command group of the script-error query.
const GUID kDocHostCommandHandler = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

}  // namespace

CWebBrowser::CWebBrowser()
    : events([this](IDispatch* frame) { return !detaching && control.IsControl(frame); },
             [this] { RefreshControlWindow(); }, [this] { zoom.Reapply(control.Browser()); })
{
}

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

HRESULT STDMETHODCALLTYPE CWebBrowser::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD,
                                              DISPPARAMS* pDispParams, VARIANT*, EXCEPINFO*, UINT*)
{
    if (!IsEqualIID(riid, IID_NULL))
        return E_INVALIDARG;
    return events.Dispatch(dispIdMember, pDispParams);
}

// ---- IOleClientSite ----

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

// ---- IOleWindow ----

HRESULT STDMETHODCALLTYPE CWebBrowser::GetWindow(HWND* phwnd)
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = hostWindow;
    return S_OK;
}

// ---- IOleInPlaceSite ----

HRESULT STDMETHODCALLTYPE CWebBrowser::CanInPlaceActivate()
{
    if (activated)
        return S_FALSE;
    activated = 1;
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

// ---- IDocHostUIHandler ----

HRESULT STDMETHODCALLTYPE CWebBrowser::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (!pInfo)
        return E_POINTER;
    pInfo->cbSize = sizeof(DOCHOSTUIINFO);
    // THEME: the page's form controls in the system's visual style.
    // DPI_AWARE: the page is laid out at the display's scale, not stretched.
    pInfo->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_DPI_AWARE;
    if (hideScrollBars)
        pInfo->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
    pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    pInfo->pchHostCss = nullptr;
    pInfo->pchHostNS = nullptr;
    return S_OK;
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
    if (activated || control.Object() || !host)
        return false;
    // Cleared so QueryInterface offers the in-place interfaces until the
    // control's CanInPlaceActivate during activation.
    activated = 0;
    IOleClientSite* site = this;
    if (control.Create(site)) {
        // Named only now: while it is created the control sees no window.
        hostWindow = host;
        if (control.Activate(host, site, static_cast<IDispatch*>(this))) {
            activated = 1;
            return true;
        }
    }
    Detach();
    hostWindow = nullptr;  // not attached: requests for it must wait
    return false;
}

void CWebBrowser::Detach()
{
    // Whatever the control reports while it is stopped here is not a failure.
    detaching = true;
    control.Detach();
    activated = 0;
    detaching = false;
}

HWND CWebBrowser::GetControlWindow()
{
    if (IsWindow(control.KnownWindow()))
        return control.KnownWindow();
    RefreshControlWindow();
    return control.KnownWindow();
}

void CWebBrowser::RefreshControlWindow()
{
    if (!control.LookUpWindow())
        return;
    if (ControlWindowCallback callback = onControlWindow)
        callback(control.KnownWindow());
}

LONG_PTR CWebBrowser::TranslateBrowserKey(MSG* msg)
{
    return control.TranslateKey(msg);
}

// ---- Navigation and the document ----

int CWebBrowser::Navigate(const wchar_t* url, int flags)
{
    return BrowserDocument::Navigate(control.Browser(), url, flags);
}

void CWebBrowser::Refresh()
{
    if (IWebBrowser2* webBrowser = control.Browser())
        webBrowser->Refresh();
}

void CWebBrowser::SetSilent(bool silent)
{
    if (IWebBrowser2* webBrowser = control.Browser())
        webBrowser->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE);
}

void CWebBrowser::SetZoom(int percent)
{
    zoom.Ask(percent, control.Browser());
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
    const HRESULT result = BrowserDocument::HandleScriptError(pvaIn);
    if (pvaOut) {
        // True: keep running the page's scripts, show no dialog.
        VariantInit(pvaOut);
        pvaOut->vt = VT_BOOL;
        pvaOut->boolVal = VARIANT_TRUE;
    }
    return result;
}

IHTMLDocument2* CWebBrowser::GetDocument()
{
    return BrowserDocument::Document(control.Browser()).Detach();
}

int CWebBrowser::LoadHtml(const wchar_t* html)
{
    return BrowserDocument::LoadHtml(control.Browser(), html);
}

int CWebBrowser::GetBodyHtml(wchar_t* buffer, int* count)
{
    return BrowserDocument::GetBodyHtml(control.Browser(), buffer, count);
}

int CWebBrowser::ClickElement(const wchar_t* id)
{
    return BrowserDocument::ClickElement(control.Browser(), id);
}

int CWebBrowser::SetElementValue(const wchar_t* id, const wchar_t* value)
{
    return BrowserDocument::SetElementValue(control.Browser(), id, value);
}

int CWebBrowser::GetElementValue(const wchar_t* id, wchar_t* buffer, int* count)
{
    return BrowserDocument::GetElementValue(control.Browser(), id, buffer, count);
}
