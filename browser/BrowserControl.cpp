#include "browser/BrowserControl.h"

#include <ocidl.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <cwchar>

namespace {

constexpr UINT kFirstKeyMessage = 0x100;  // WM_KEYDOWN
constexpr UINT kLastKeyMessage = 0x109;   // WM_UNICHAR
constexpr LONG_PTR kNotTranslated = 1;

bool IsKeyMessage(const MSG* msg)
{
    return msg && msg->message >= kFirstKeyMessage && msg->message <= kLastKeyMessage;
}

// The control's DWebBrowserEvents2 connection point, or null.
ComPtr<IConnectionPoint> EventPoint(IWebBrowser2* browser)
{
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container.QueryFrom(browser, IID_IConnectionPointContainer)) ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())))
        point.Reset();
    return point;
}

}  // namespace

BrowserControl::~BrowserControl()
{
    Detach();
}

bool BrowserControl::Create(IOleClientSite* site)
{
    if (oleObject)
        return false;
    if (FAILED(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, storage.put())))
        return false;
    if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr, site, storage.get(),
                         oleObject.putVoid())) ||
        !oleObject)
        return false;
    identity.QueryFrom(oleObject.get(), IID_IUnknown);
    inPlaceObject.QueryFrom(oleObject.get(), IID_IOleInPlaceObject);
    inPlaceActiveObject.QueryFrom(oleObject.get(), IID_IOleInPlaceActiveObject);
    webBrowser.QueryFrom(oleObject.get(), IID_IWebBrowser2);
    return static_cast<bool>(webBrowser);
}

bool BrowserControl::Activate(HWND host, IOleClientSite* site, IDispatch* sink)
{
    if (!oleObject)
        return false;
    RECT rc = {};
    GetClientRect(host, &rc);
    if (FAILED(oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, host, &rc)))
        return false;
    const ComPtr<IConnectionPoint> point = EventPoint(webBrowser.get());
    if (point && FAILED(point->Advise(sink, &eventCookie)))
        eventCookie = 0;
    return true;
}

void BrowserControl::Detach()
{
    if (eventCookie && webBrowser) {
        if (const ComPtr<IConnectionPoint> point = EventPoint(webBrowser.get()))
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
    identity.Reset();
    window = nullptr;
}

bool BrowserControl::LookUpWindow()
{
    if (!webBrowser)
        return false;
    ComPtr<IServiceProvider> provider;
    if (FAILED(provider.QueryFrom(webBrowser.get(), IID_IServiceProvider)))
        return false;
    ComPtr<IOleWindow> shell;
    if (FAILED(provider->QueryService(SID_SShellBrowser, IID_IOleWindow, shell.putVoid())) || !shell)
        return false;
    HWND found = nullptr;
    if (FAILED(shell->GetWindow(&found))) {
        window = nullptr;
        return false;
    }
    window = found;
    return true;
}

bool BrowserControl::IsControl(IDispatch* frame) const
{
    if (!frame || !identity)
        return false;
    ComPtr<IUnknown> other;
    if (FAILED(other.QueryFrom(frame, IID_IUnknown)))
        return false;
    return other.get() == identity.get();
}

void BrowserControl::SetIdentity(IUnknown* object)
{
    identity.QueryFrom(object, IID_IUnknown);
}

LONG_PTR BrowserControl::TranslateKey(MSG* msg) const
{
    if (IsKeyMessage(msg) && !webBrowser)
        return E_NOTIMPL;
    return RouteKey(inPlaceActiveObject.get(), msg);
}

LONG_PTR BrowserControl::RouteKey(IOleInPlaceActiveObject* active, MSG* msg)
{
    if (!IsKeyMessage(msg))
        return kNotTranslated;
    // Only the document window takes the control's accelerators.
    wchar_t name[512] = {};
    GetClassNameW(msg->hwnd, name, 511);
    if (wcscmp(name, L"Internet Explorer_Server") == 0 && active)
        return active->TranslateAccelerator(msg);
    return kNotTranslated;
}
