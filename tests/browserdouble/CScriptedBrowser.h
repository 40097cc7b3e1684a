#pragma once

#include "CDoubleLog.h"
#include "CEventConnection.h"
#include "CScriptedDocument.h"
#include "PageDirectives.h"

#include <windows.h>

#include <exdisp.h>
#include <ocidl.h>
#include <oleidl.h>
#include <servprov.h>
#include <wrl/client.h>

#include <map>
#include <memory>
#include <string>

class CPageFetch;

// The scripted stand-in of the web-browser control. It answers the OLE and
// IWebBrowser2 calls a container makes, shows a window tree like the real
// control ("Shell Embedding" > "Shell DocObject View" > "Internet
// Explorer_Server"), fetches each address over HTTP on a worker thread and
// raises DWebBrowserEvents2 on its own thread. Pages steer it with the
// directives of PageDirectives.h; every call it receives goes to CDoubleLog.
//
// Redirects: the real control reports a server redirect only once, with the
// final address. The double reports every address it reaches so that tests
// see the chain: BeforeNavigate2(first), then NavigateComplete2 for the first
// address and for every redirect target in order, then DocumentComplete for
// the last. BeforeNavigate2 for a redirect target is raised (and may cancel)
// only when the host asked for DOCHOSTUIFLAG_ENABLE_REDIRECT_NOTIFICATION, as
// the real control does.
class CScriptedBrowser : public IWebBrowser2,
                         public IOleObject,
                         public IOleInPlaceObject,
                         public IOleInPlaceActiveObject,
                         public IConnectionPointContainer,
                         public IServiceProvider,
                         public IPersistStorage {
public:
    CScriptedBrowser();
    CScriptedBrowser(const CScriptedBrowser&) = delete;
    CScriptedBrowser& operator=(const CScriptedBrowser&) = delete;

    static void UnregisterWindowClasses();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IWebBrowser
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE GoForward() override;
    HRESULT STDMETHODCALLTYPE GoHome() override;
    HRESULT STDMETHODCALLTYPE GoSearch() override;
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                       VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE Refresh() override;
    HRESULT STDMETHODCALLTYPE Refresh2(VARIANT* level) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_Application(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_Container(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** result) override;
    HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_Left(LONG* result) override;
    HRESULT STDMETHODCALLTYPE put_Left(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Top(LONG* result) override;
    HRESULT STDMETHODCALLTYPE put_Top(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Width(LONG* result) override;
    HRESULT STDMETHODCALLTYPE put_Width(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_Height(LONG* result) override;
    HRESULT STDMETHODCALLTYPE put_Height(LONG value) override;
    HRESULT STDMETHODCALLTYPE get_LocationName(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL* result) override;

    // IWebBrowserApp
    HRESULT STDMETHODCALLTYPE Quit() override;
    HRESULT STDMETHODCALLTYPE ClientToWindow(int* cx, int* cy) override;
    HRESULT STDMETHODCALLTYPE PutProperty(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE GetProperty(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* result) override;
    HRESULT STDMETHODCALLTYPE get_FullName(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_StatusText(BSTR* result) override;
    HRESULT STDMETHODCALLTYPE put_StatusText(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_ToolBar(int* result) override;
    HRESULT STDMETHODCALLTYPE put_ToolBar(int value) override;
    HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL value) override;

    // IWebBrowser2
    HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                        VARIANT* headers) override;
    HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID command, OLECMDF* status) override;
    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) override;
    HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE* result) override;
    HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL value) override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index, HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override;
    HRESULT STDMETHODCALLTYPE IsUpToDate() override;
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow (through both in-place interfaces)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;

    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override;

    // IPersistStorage
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

private:
    // How a navigation goes on: a new page, or the current one fetched again.
    enum class Mode { Navigate, Reload };

    virtual ~CScriptedBrowser();

    static LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ShellWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ViewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ServerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FlashWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void RegisterWindowClasses();

    HRESULT StartNavigation(const std::wstring& url, long flags, const wchar_t* call);
    void StartFetch(const std::wstring& url);
    void OnFetchDone(WPARAM navigation);
    void OnBlankDone(WPARAM navigation);
    void OnPageTimer(UINT_PTR timer);
    void ShowPage(const std::wstring& url, const std::wstring& html);
    void FinishNavigation(const std::wstring& url, unsigned navigation);
    void FailNavigation(const std::wstring& url, long status);
    void CancelNavigation();
    void KillPageTimers();
    // Drops what belongs to the page shown now: its pending directives and its flash window.
    void ClearPage();
    void RunModalBox(unsigned durationMs);
    void RunDirective(const PageDirective& directive);

    bool FireBeforeNavigate2(const std::wstring& url, long flags);
    void FireUrlEvent(DISPID id, const wchar_t* name, const std::wstring& url);
    void FireNavigateError(const std::wstring& url, long status);
    void FireTitleChange(const std::wstring& title);
    void FireNewWindow(const std::wstring& url);

    HRESULT InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT position);
    void UIActivate();
    void ReadHostInfo();
    HRESULT OpticalZoom(OLECMDEXECOPT option, const VARIANT* in);
    void LogWindowMove(HWND hwnd, const wchar_t* name);
    void PaintServer(HWND hwnd);
    RECT WindowRectInParent(HWND hwnd) const;

    LONG refs = 1;
    CDoubleLog log;
    CEventConnection events;

    Microsoft::WRL::ComPtr<IOleClientSite> clientSite;
    // Kept from activation: a host may stop answering for it afterwards.
    Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite;
    Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame;
    Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> uiWindow;
    DWORD hostFlags = 0;
    bool uiActive = false;
    SIZEL extent = {};

    HWND messageWindow = nullptr;
    HWND shellWindow = nullptr;
    HWND viewWindow = nullptr;
    HWND serverWindow = nullptr;
    HWND flashWindow = nullptr;

    // Raised by every navigation and by Stop; work of an older one is dropped.
    unsigned navigationId = 0;
    Mode mode = Mode::Navigate;
    std::shared_ptr<CPageFetch> fetch;
    int redirects = 0;
    bool busy = false;
    std::wstring locationUrl;
    Microsoft::WRL::ComPtr<CScriptedDocument> document;
    // Delayed directives of the page shown now, by timer id.
    std::map<UINT_PTR, PageDirective> pageTimers;
    UINT_PTR nextTimer = 1;

    VARIANT_BOOL silent = VARIANT_FALSE;
    VARIANT_BOOL offline = VARIANT_FALSE;
    VARIANT_BOOL registerAsBrowser = VARIANT_FALSE;
    VARIANT_BOOL registerAsDropTarget = VARIANT_TRUE;
    VARIANT_BOOL visible = VARIANT_TRUE;
    std::wstring statusText;
};
