#pragma once

#include "browser/BrowserControl.h"
#include "browser/BrowserEvents.h"
#include "browser/CImpIDispatch.h"
#include "browser/PageZoom.h"

#include <windows.h>

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ole2.h>

#include <functional>
#include <utility>

// OLE container site of the web-browser control. It answers what the control
// asks of its container, sinks the control's DWebBrowserEvents2 events into
// the callbacks below and offers navigation and a few document operations;
// the control's own life (creation, activation, teardown) is BrowserControl's.
//
// The site is a member of its window object: reference counts only move a
// counter. Owning thread: the one that called Attach (the browser thread,
// an STA); everything runs there, Detach included, before the object is
// destroyed elsewhere.
class CWebBrowser : public IDispatch,
                    public IOleClientSite,
                    public IOleInPlaceSite,
                    public IOleInPlaceFrame,
                    public IDocHostUIHandler {
public:
    using ControlWindowCallback = std::function<void(HWND)>;

    CWebBrowser();
    ~CWebBrowser();
    CWebBrowser(const CWebBrowser&) = delete;
    CWebBrowser& operator=(const CWebBrowser&) = delete;

    // IUnknown, shared by all five bases.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the event sink.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    // The site's own operations.
    virtual int Navigate(const wchar_t* url, int flags);
    virtual HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                                  OLECMDTEXT* pCmdText);
    // Script-error handler. QueryInterface never hands out IOleCommandTarget,
    // so the control does not call it; silent mode keeps errors quiet.
    virtual HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt,
                                           VARIANT* pvaIn, VARIANT* pvaOut);
    virtual int LoadHtml(const wchar_t* html);
    virtual int GetBodyHtml(wchar_t* buffer, int* count);
    virtual int ClickElement(const wchar_t* id);
    virtual int SetElementValue(const wchar_t* id, const wchar_t* value);
    virtual int GetElementValue(const wchar_t* id, wchar_t* buffer, int* count);

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return S_OK; }

    // IOleWindow (through both IOleInPlaceSite and IOleInPlaceFrame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT lprectBorder) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU hmenuShared) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR pszStatusText) override { return E_NOTIMPL; }
    // Also IDocHostUIHandler::EnableModeless: same answer for both.
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return E_NOTIMPL; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                              IDispatch* pdispReserved) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                     IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                     IOleInPlaceUIWindow* pDoc) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fRameWindow) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

    // Creates the control in `host`, activates it in place and connects the
    // event sink. False when already attached or the control is unavailable.
    bool Attach(HWND host);
    // Tears the control down on its own thread, in BrowserControl::Detach's
    // order: disconnects the events, deactivates it in place, closes it,
    // takes the client site back and drops every reference. What the
    // control reports meanwhile reaches no callback as a failure. Safe to
    // call again; the host window stays as the record that the site was
    // attached.
    void Detach();
    // The control's outermost window (a child of the host), or null.
    HWND GetControlWindow();
    // The current HTML document, an owned reference, or null.
    IHTMLDocument2* GetDocument();
    // 0 (S_OK) when the control translated the key.
    LONG_PTR TranslateBrowserKey(MSG* msg);
    void Refresh();
    void SetSilent(bool silent);
    // Zooms the page to `percent` (10 to 1000) now and again whenever the
    // top-level page is navigated to or completes.
    void SetZoom(int percent);

    // The window Attach was given; it stays after Detach. Null before, and
    // after an Attach that failed.
    HWND HostWindow() const { return hostWindow; }
    // True once the control has activated in place, until Detach.
    bool InPlaceActive() const { return activated != 0; }
    // The control's own references to the site (they free nothing).
    LONG References() const { return refCount; }
    // The page's `window.external`.
    CImpIDispatch& External() { return external; }
    // The control and what it holds, to look at; the site alone drives it.
    const BrowserControl& Control() const { return control; }
    // The object whose events count as the top-level page's. Attach names
    // the control; a site without one may name a stand-in.
    void SetControlIdentity(IUnknown* object) { control.SetIdentity(object); }
    // Called with the control's window whenever a navigation finds it.
    void SetOnControlWindow(ControlWindowCallback callback) { onControlWindow = std::move(callback); }
    // Hides the page's scroll bars (the default); read by GetHostInfo when
    // the control is created.
    void SetHideScrollBars(bool hide) { hideScrollBars = hide; }

    void SetOnNewWindow(BrowserEvents::NewWindowCallback callback) { events.SetOnNewWindow(std::move(callback)); }
    void SetOnDocumentComplete(BrowserEvents::DocumentCompleteCallback callback)
    {
        events.SetOnDocumentComplete(std::move(callback));
    }
    void SetOnNavigateComplete(BrowserEvents::NavigateCompleteCallback callback)
    {
        events.SetOnNavigateComplete(std::move(callback));
    }
    // Only failures of the control's own (top-level) navigation reach it;
    // frames, resources and navigations this site cancelled or stopped do not.
    void SetOnNavigateError(BrowserEvents::NavigateErrorCallback callback)
    {
        events.SetOnNavigateError(std::move(callback));
    }
    void SetOnTitleChange(BrowserEvents::TitleChangeCallback callback) { events.SetOnTitleChange(std::move(callback)); }
    void SetOnBeforeNavigate(BrowserEvents::BeforeNavigateCallback callback)
    {
        events.SetOnBeforeNavigate(std::move(callback));
    }
    void SetOnQuit(BrowserEvents::QuitCallback callback) { events.SetOnQuit(std::move(callback)); }

private:
    void RefreshControlWindow();

    BrowserControl control;
    HWND hostWindow = nullptr;
    // Set by CanInPlaceActivate: the in-place interfaces are offered until then.
    LONG activated = 0;
    LONG refCount = 0;
    CImpIDispatch external;
    ControlWindowCallback onControlWindow;
    bool hideScrollBars = true;
    // Set while Detach stops the control: what fails then was stopped here.
    bool detaching = false;
    PageZoom zoom;
    BrowserEvents events;
};
