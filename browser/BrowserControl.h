#pragma once

#include "base/ComPtr.h"

#include <windows.h>

#include <exdisp.h>
#include <ole2.h>

// The web-browser control's life inside a host window: its storage, the
// control and the interfaces the site uses, the connection of the site's
// event sink, the control's identity and its outermost window. It answers
// nothing itself; the site (CWebBrowser) does and drives the steps below.
//
// Owning thread: the one that called Create (the browser thread, an STA);
// everything runs there, Detach included.
class BrowserControl {
public:
    BrowserControl() = default;
    // Catches a control that was never detached (on its own thread then).
    ~BrowserControl();
    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;

    // Creates the control with `site` as its client site. False when one
    // exists already or it cannot be made; the caller detaches then.
    bool Create(IOleClientSite* site);
    // Activates the created control in place over `host`'s client area and
    // connects `sink` to its DWebBrowserEvents2; a control without events
    // still counts as activated. False when it would not activate; the
    // caller detaches then.
    bool Activate(HWND host, IOleClientSite* site, IDispatch* sink);
    // Tears the control down, in this order:
    //   1. disconnects the event sink (Unadvise),
    //   2. deactivates it in place (InPlaceDeactivate),
    //   3. closes it without saving (Close),
    //   4. takes the client site back (SetClientSite(null)), which Close keeps,
    //   5. drops the references: browser, active object, in-place object,
    //      control, storage, identity; forgets the control window.
    // Safe to call again.
    void Detach();

    // Looks the control's outermost window (a child of the host) up through
    // its shell-browser service. True when the window named it: it is kept.
    // A window that cannot answer leaves none kept; a control that offers
    // no such service leaves the kept one as it was.
    bool LookUpWindow();
    // The window last looked up (it may have gone since), or null.
    HWND KnownWindow() const { return window; }
    // True when `frame` is the control itself: its events are the top-level
    // page's.
    bool IsControl(IDispatch* frame) const;
    // Names the object IsControl recognises. Create names the control; a
    // site without one (tests) may name a stand-in.
    void SetIdentity(IUnknown* object);
    // 0 (S_OK) when the control translated the key, E_NOTIMPL when a key
    // arrives without a control, 1 when it is not the control's.
    LONG_PTR TranslateKey(MSG* msg) const;
    // Only key messages of the document window ("Internet Explorer_Server")
    // are offered to `active`; 1 for the rest.
    static LONG_PTR RouteKey(IOleInPlaceActiveObject* active, MSG* msg);

    // What the control holds; null when detached.
    IWebBrowser2* Browser() const { return webBrowser.get(); }
    IOleObject* Object() const { return oleObject.get(); }
    IOleInPlaceObject* InPlaceObject() const { return inPlaceObject.get(); }
    IOleInPlaceActiveObject* ActiveObject() const { return inPlaceActiveObject.get(); }
    IStorage* Storage() const { return storage.get(); }
    // The event connection, kept so Detach can undo it; 0 when none.
    DWORD EventCookie() const { return eventCookie; }

private:
    ComPtr<IStorage> storage;
    ComPtr<IOleObject> oleObject;
    ComPtr<IOleInPlaceObject> inPlaceObject;
    ComPtr<IOleInPlaceActiveObject> inPlaceActiveObject;
    ComPtr<IWebBrowser2> webBrowser;
    ComPtr<IUnknown> identity;
    DWORD eventCookie = 0;
    HWND window = nullptr;
};
