#pragma once

#include "browser/CImpIDispatch.h"
#include "base/ComPtr.h"

#include <windows.h>

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ole2.h>

#include <functional>
#include <string>

// OLE container site of the web-browser control. It creates and in-place
// activates the control inside a host window, answers what the control asks
// of its container, sinks the control's DWebBrowserEvents2 events into the
// callbacks below and offers navigation and a few document operations.
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
    using TitleChangeCallback = std::function<void(const wchar_t* title)>;
    using DocumentCompleteCallback = std::function<void(IDispatch* frame, const wchar_t* url)>;
    using NavigateCompleteCallback = std::function<void(const wchar_t* url)>;
    using BeforeNavigateCallback = std::function<void(IDispatch* frame, const wchar_t* url, short* cancel)>;
    using NewWindowCallback = std::function<void(IDispatch** ppDisp, short*& cancel, unsigned long flags,
                                                 wchar_t* urlContext, wchar_t* url)>;
    using NavigateErrorCallback = std::function<void(const wchar_t* url, long status)>;
    using QuitCallback = std::function<void()>;
    using ControlWindowCallback = std::function<void(HWND)>;

    CWebBrowser() = default;
    ~CWebBrowser();
    CWebBrowser(const CWebBrowser&) = delete;
    CWebBrowser& operator=(const CWebBrowser&) = delete;

    // IUnknown, shared by all five bases.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the event sink.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
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
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override;
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

    // IOleWindow (through both IOleInPlaceSite and IOleInPlaceFrame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) override;
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT lprectBorder) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS pborderwidths) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU hmenuShared) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR pszStatusText) override;
    // Also IDocHostUIHandler::EnableModeless: same answer for both.
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg, WORD wID) override;

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved,
                                              IDispatch* pdispReserved) override;
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* pInfo) override;
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject,
                                     IOleCommandTarget* pCommandTarget, IOleInPlaceFrame* pFrame,
                                     IOleInPlaceUIWindow* pDoc) override;
    HRESULT STDMETHODCALLTYPE HideUI() override;
    HRESULT STDMETHODCALLTYPE UpdateUI() override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                           BOOL fRameWindow) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* pchKey, DWORD dw) override;
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) override;
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** ppDispatch) override;
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut) override;
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* pDO, IDataObject** ppDORet) override;

    // Creates the control in `host`, activates it in place and connects the
    // event sink. False when already attached or the control is unavailable.
    bool Attach(HWND host);
    // Tears the control down on its own thread: disconnects the events,
    // deactivates and closes it, takes the client site back and drops every
    // reference. Safe to call again; `hostWindow` stays as the record that
    // the site was attached.
    void Detach();
    // The control's outermost window (a child of the host), or null.
    HWND GetControlWindow();
    // The current HTML document, an owned reference, or null.
    IHTMLDocument2* GetDocument();
    // 0 (S_OK) when the control translated the key.
    LONG_PTR TranslateBrowserKey(MSG* msg);

    void SetOnNewWindow(NewWindowCallback callback) { OnNewWindow = std::move(callback); }
    void SetOnDocumentComplete(DocumentCompleteCallback callback) { OnDocumentComplete = std::move(callback); }
    void SetOnNavigateComplete(NavigateCompleteCallback callback) { OnNavigateComplete = std::move(callback); }
    // Only failures of the control's own (top-level) navigation reach it;
    // frames, resources and navigations this site cancelled or stopped do not.
    void SetOnNavigateError(NavigateErrorCallback callback) { OnNavigateError = std::move(callback); }

    ComPtr<IStorage> storage;
    ComPtr<IOleObject> oleObject;
    ComPtr<IOleInPlaceObject> inPlaceObject;
    ComPtr<IOleInPlaceActiveObject> inPlaceActiveObject;
    ComPtr<IWebBrowser2> webBrowser;
    HWND hostWindow = nullptr;
    HWND controlWindow = nullptr;
    LONG activated = 0;
    LONG refCount = 0;
    TitleChangeCallback OnTitleChange;
    DocumentCompleteCallback OnDocumentComplete;
    NavigateCompleteCallback OnNavigateComplete;
    BeforeNavigateCallback OnBeforeNavigate;
    NewWindowCallback OnNewWindow;
    QuitCallback OnQuit;
    NavigateErrorCallback OnNavigateError;
    CImpIDispatch external;
    ControlWindowCallback OnControlWindow;
    bool hideScrollBars = true;
    // The event connection, kept so Detach can undo it; 0 when none.
    DWORD eventCookie = 0;
    // The control's identity (its IUnknown): an event whose pDisp is this
    // object is about the top-level page.
    ComPtr<IUnknown> controlIdentity;
    // The last address whose BeforeNavigate2 a callback cancelled.
    std::wstring cancelledUrl;
    // Set while Detach stops the control: what fails then was stopped here.
    bool detaching = false;

private:
    // One handler per sunk event; `args` is last-argument-first.
    void TitleChangeEvent(const VARIANT* args, UINT count);
    void BeforeNavigateEvent(const VARIANT* args, UINT count);
    void NavigateCompleteEvent(const VARIANT* args, UINT count);
    void DocumentCompleteEvent(const VARIANT* args, UINT count);
    void NewWindowEvent(const VARIANT* args, UINT count);
    void NavigateErrorEvent(const VARIANT* args, UINT count);
    bool IsControl(IDispatch* frame) const;
    void QuitEvent();

    void RefreshControlWindow();
    ComPtr<IHTMLDocument2> Document2();
    ComPtr<IHTMLElement> FindElement(const wchar_t* id);
    HRESULT HandleScriptError(VARIANT* pvaIn);
};
