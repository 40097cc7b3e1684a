// ctest: browser-double
// The scripted stand-in of the web-browser control, driven with plain OLE
// calls from a minimal container written here. The program runs in the
// environment whose prefix registers the double under CLSID_WebBrowser.
#include "TestApp.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <urlmon.h>
#include <wininet.h>
#include <wrl/client.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// ---- the environment: test site and files ------------------------------------

// A file of the run's environment (LUMARION_TEST_ENV is a Unix path).
std::wstring EnvFile(const wchar_t* name)
{
    wchar_t env[1024] = {};
    if (!GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024))
        return std::wstring();
    std::wstring path = std::wstring(L"Z:") + env + L"/" + name;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::string ReadText(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring SiteRoot()
{
    std::string port = ReadText(EnvFile(L"site.port"));
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r'))
        port.pop_back();
    return L"http://127.0.0.1:" + Widen(port);
}

// What follows the host in an address: the request line the site logs.
std::string PathOf(const std::wstring& url)
{
    const size_t host = url.find(L"//");
    const size_t path = url.find(L'/', host == std::wstring::npos ? 0 : host + 2);
    return path == std::wstring::npos ? "/" : Narrow(url.substr(path));
}

// Encodes like the site's urlencode, so a redirect it builds can be predicted.
std::wstring QueryEncode(const std::wstring& text)
{
    std::wstring encoded;
    for (wchar_t c : text) {
        if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' ||
            c == L'.' || c == L'~') {
            encoded += c;
        } else {
            wchar_t hex[4];
            swprintf(hex, 4, L"%%%02X", static_cast<unsigned>(c));
            encoded += hex;
        }
    }
    return encoded;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Index of the first line containing `needle` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& needle, int from = 0)
{
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[i].find(needle) != std::string::npos)
            return i;
    return -1;
}

int CountLines(const std::vector<std::string>& lines, const std::string& needle)
{
    int count = 0;
    for (const std::string& line : lines)
        count += line.find(needle) != std::string::npos;
    return count;
}

bool SiteReceived(const std::wstring& url)
{
    return FindLine(Lines(ReadText(EnvFile(L"site.log"))), "GET " + PathOf(url)) >= 0;
}

HWND FindDescendant(HWND parent, const wchar_t* className)
{
    struct Search {
        const wchar_t* className;
        HWND found;
    } search = {className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            Search* s = reinterpret_cast<Search*>(lParam);
            wchar_t name[256] = {};
            GetClassNameW(hwnd, name, 256);
            if (wcscmp(name, s->className) != 0)
                return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT RectInParent(HWND hwnd)
{
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// ---- the container ------------------------------------------------------------

// The event sink: records each DWebBrowserEvents2 event with the address it
// carries, checks the argument layout the real control uses, and cancels
// what the test asks it to.
class TestSink : public IDispatch {
public:
    struct Event {
        DISPID id;
        std::wstring url;
        std::wstring extra;
        DWORD tick;
    };

    std::vector<Event> events;
    std::vector<std::string> layoutErrors;
    std::wstring cancelNavigationTo;
    bool cancelNewWindow3 = false;
    std::function<void(const Event&)> onEvent;
    LONG refs = 0;

    int Count(DISPID id) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.id == id;
        return n;
    }
    int Find(DISPID id, const std::wstring& url) const
    {
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].id == id && events[i].url == url)
                return static_cast<int>(i);
        return -1;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        if (!IsEqualIID(riid, IID_NULL))
            layoutErrors.push_back("riid not IID_NULL");
        Event event = {id, std::wstring(), std::wstring(), GetTickCount()};
        switch (id) {
        case DISPID_BEFORENAVIGATE2:
            if (!Expect(p, 7, {VT_DISPATCH, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF,
                               VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF, VT_BOOL | VT_BYREF}))
                break;
            event.url = ByRefString(p->rgvarg[5]);
            event.extra = std::to_wstring(p->rgvarg[4].pvarVal->lVal);
            if (!cancelNavigationTo.empty() && event.url.find(cancelNavigationTo) != std::wstring::npos)
                *p->rgvarg[0].pboolVal = VARIANT_TRUE;
            break;
        case DISPID_NAVIGATECOMPLETE2:
        case DISPID_DOCUMENTCOMPLETE:
            if (Expect(p, 2, {VT_DISPATCH, VT_VARIANT | VT_BYREF}))
                event.url = ByRefString(p->rgvarg[0]);
            break;
        case DISPID_NAVIGATEERROR:
            if (!Expect(p, 5, {VT_DISPATCH, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF, VT_VARIANT | VT_BYREF,
                               VT_BOOL | VT_BYREF}))
                break;
            event.url = ByRefString(p->rgvarg[3]);
            event.extra = std::to_wstring(p->rgvarg[1].pvarVal->lVal);
            break;
        case DISPID_NEWWINDOW2:
            Expect(p, 2, {VT_DISPATCH | VT_BYREF, VT_BOOL | VT_BYREF});
            break;
        case DISPID_NEWWINDOW3:
            if (!Expect(p, 5, {VT_DISPATCH | VT_BYREF, VT_BOOL | VT_BYREF, VT_I4, VT_BSTR, VT_BSTR}))
                break;
            event.url = p->rgvarg[0].bstrVal;
            event.extra = p->rgvarg[1].bstrVal;
            if (cancelNewWindow3)
                *p->rgvarg[3].pboolVal = VARIANT_TRUE;
            break;
        case DISPID_TITLECHANGE:
            if (Expect(p, 1, {VT_BSTR}))
                event.url = p->rgvarg[0].bstrVal;
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        events.push_back(event);
        if (onEvent)
            onEvent(event);
        return S_OK;
    }

private:
    // `types` in parameter order (the first parameter is the last argument).
    bool Expect(DISPPARAMS* p, UINT count, std::initializer_list<VARTYPE> types)
    {
        if (!p || p->cArgs != count) {
            layoutErrors.push_back("argument count");
            return false;
        }
        UINT i = count;
        for (VARTYPE type : types) {
            --i;
            if (p->rgvarg[i].vt != type) {
                layoutErrors.push_back("argument type");
                return false;
            }
        }
        return true;
    }
    static std::wstring ByRefString(const VARIANTARG& argument)
    {
        const VARIANT* value = argument.pvarVal;
        return value && value->vt == VT_BSTR && value->bstrVal ? value->bstrVal : L"";
    }
};

// The client site with its in-place site and, when asked, a document host
// handler. It counts the calls the control makes and hands out a fixed
// position so the test can see that the control uses it.
class TestSite : public IOleClientSite, public IOleInPlaceSite, public IDocHostUIHandler {
public:
    HWND hostWindow = nullptr;
    RECT position = {10, 20, 410, 320};
    bool offerDocHost = false;
    DWORD hostFlags = 0;
    int canInPlaceActivate = 0;
    int onInPlaceActivate = 0;
    int onInPlaceDeactivate = 0;
    int getWindowContext = 0;
    LONG refs = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *object = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (offerDocHost && IsEqualIID(iid, IID_IDocHostUIHandler))
            *object = static_cast<IDocHostUIHandler*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        *window = hostWindow;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override
    {
        ++canInPlaceActivate;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override
    {
        ++onInPlaceActivate;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        ++getWindowContext;
        *frame = nullptr;
        *doc = nullptr;
        *pos = position;
        *clip = position;
        info->fMDIApp = FALSE;
        info->hwndFrame = GetParent(hostWindow);
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override
    {
        ++onInPlaceDeactivate;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override
    {
        info->dwFlags |= hostFlags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** dispatch) override
    {
        *dispatch = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override
    {
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override
    {
        *out = nullptr;
        return S_FALSE;
    }
};

// One control in a host window on the calling thread, made and taken down
// the way a container does it.
class Embedding {
public:
    TestSite site;
    TestSink sink;
    ComPtr<IStorage> storage;
    ComPtr<IOleObject> oleObject;
    ComPtr<IWebBrowser2> browser;
    HWND host = nullptr;
    DWORD cookie = 0;

    Embedding()
    {
        host = CreateWindowExW(0, L"STATIC", L"double host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                               640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        site.hostWindow = host;
    }
    ~Embedding()
    {
        Shutdown();
        if (host)
            DestroyWindow(host);
    }
    Embedding(const Embedding&) = delete;
    Embedding& operator=(const Embedding&) = delete;

    HRESULT Create()
    {
        HRESULT hr = StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_DELETEONRELEASE,
                                      0, storage.GetAddressOf());
        if (FAILED(hr))
            return hr;
        hr = OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr, &site, storage.Get(),
                       reinterpret_cast<void**>(oleObject.GetAddressOf()));
        if (FAILED(hr))
            return hr;
        return oleObject.As(&browser);
    }
    HRESULT Activate()
    {
        RECT rc = {};
        GetClientRect(host, &rc);
        return oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host, &rc);
    }
    HRESULT Advise()
    {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        HRESULT hr = browser.As(&container);
        if (SUCCEEDED(hr))
            hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf());
        if (SUCCEEDED(hr))
            hr = point->Advise(static_cast<IDispatch*>(&sink), &cookie);
        return hr;
    }
    HRESULT Unadvise()
    {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        HRESULT hr = browser.As(&container);
        if (SUCCEEDED(hr))
            hr = container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.GetAddressOf());
        if (SUCCEEDED(hr))
            hr = point->Unadvise(cookie);
        cookie = 0;
        return hr;
    }
    // Create, activate and listen: what every navigation test starts with.
    bool Start()
    {
        return SUCCEEDED(Create()) && SUCCEEDED(Activate()) && SUCCEEDED(Advise());
    }
    HRESULT Navigate(const std::wstring& url, long flags = 2)
    {
        VARIANT address;
        VariantInit(&address);
        address.vt = VT_BSTR;
        address.bstrVal = SysAllocString(url.c_str());
        VARIANT navigateFlags;
        VariantInit(&navigateFlags);
        navigateFlags.vt = VT_I4;
        navigateFlags.lVal = flags;
        const HRESULT hr = browser->Navigate2(&address, &navigateFlags, nullptr, nullptr, nullptr);
        VariantClear(&address);
        return hr;
    }
    HWND ControlWindow()
    {
        ComPtr<IServiceProvider> provider;
        ComPtr<IOleWindow> window;
        HWND hwnd = nullptr;
        if (SUCCEEDED(browser.As(&provider)) &&
            SUCCEEDED(provider->QueryService(SID_SShellBrowser, IID_IOleWindow, reinterpret_cast<void**>(window.GetAddressOf()))))
            window->GetWindow(&hwnd);
        return hwnd;
    }
    bool WaitFor(DISPID id, const std::wstring& url, DWORD timeoutMs = 8000)
    {
        return PumpUntil([&] { return sink.Find(id, url) >= 0; }, timeoutMs);
    }
    std::wstring LocationUrl()
    {
        BSTR url = nullptr;
        browser->get_LocationURL(&url);
        std::wstring text = url ? url : L"";
        SysFreeString(url);
        return text;
    }
    void Shutdown()
    {
        if (!oleObject)
            return;
        if (cookie)
            Unadvise();
        oleObject->Close(OLECLOSE_NOSAVE);
        oleObject->SetClientSite(nullptr);
        browser.Reset();
        oleObject.Reset();
        storage.Reset();
    }
};

class ScriptedBrowserDouble : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        logPath = std::wstring(temp) + L"double-" +
                  Widen(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L".log";
        DeleteFileW(logPath.c_str());
        SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", logPath.c_str());
        root = SiteRoot();
        ASSERT_NE(root, L"http://127.0.0.1:") << "no test site port";
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", nullptr);
        OleUninitialize();
    }
    std::vector<std::string> LogLines() const { return Lines(ReadText(logPath)); }
    bool Logged(const std::string& needle) const { return FindLine(LogLines(), needle) >= 0; }

    std::wstring logPath;
    std::wstring root;
};

// ---- tests ----------------------------------------------------------------------

TEST_F(ScriptedBrowserDouble, ActivatesInPlaceAndTearsDownCleanly)
{
    Embedding e;
    ASSERT_HRESULT_SUCCEEDED(e.Create());
    ASSERT_TRUE(Logged("Created thread=" + std::to_string(GetCurrentThreadId())));
    EXPECT_EQ(e.ControlWindow(), nullptr) << "no window before activation";

    ASSERT_HRESULT_SUCCEEDED(e.Activate());
    EXPECT_EQ(e.site.canInPlaceActivate, 1);
    EXPECT_EQ(e.site.onInPlaceActivate, 1);
    EXPECT_EQ(e.site.getWindowContext, 1);

    // The control's outer window sits in the host where the site placed it,
    // with the page window inside.
    const HWND control = e.ControlWindow();
    ASSERT_TRUE(IsWindow(control));
    EXPECT_EQ(GetParent(control), e.host);
    EXPECT_EQ(ClassOf(control), L"Shell Embedding");
    const RECT placed = RectInParent(control);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right, 410);
    EXPECT_EQ(placed.bottom, 320);
    const HWND server = FindDescendant(control, L"Internet Explorer_Server");
    ASSERT_NE(server, nullptr);
    EXPECT_TRUE(IsWindowVisible(server));

    // Moves by the container reach the control and its page window.
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_HRESULT_SUCCEEDED(e.oleObject.As(&inPlace));
    const RECT moved = {0, 0, 200, 100};
    ASSERT_HRESULT_SUCCEEDED(inPlace->SetObjectRects(&moved, &moved));
    EXPECT_EQ(RectInParent(control).right, 200);
    MoveWindow(control, 5, 6, 300, 204, TRUE);
    RECT page = {};
    GetClientRect(server, &page);
    EXPECT_EQ(page.right, 300);
    EXPECT_EQ(page.bottom, 204);

    inPlace.Reset();
    e.Shutdown();
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(e.site.onInPlaceDeactivate, 1);
    // Nothing of the container is still held once the object is gone.
    EXPECT_EQ(e.site.refs, 0);

    const std::vector<std::string> log = LogLines();
    int at = FindLine(log, "SetClientSite site=set");
    for (const char* call : {"DoVerb verb=-5", "GetWindowContext result=0x00000000 pos=10,20,410,320",
                             "SetObjectRects pos=0,0,200,100 clip=0,0,200,100", "WindowMoved rect=5,6,305,210",
                             "Close save=1", "InPlaceDeactivate", "SetClientSite site=null", "Destroyed"}) {
        const int next = FindLine(log, call, at < 0 ? 0 : at);
        EXPECT_GT(next, at) << call << " missing or out of order";
        at = next;
    }
}

TEST_F(ScriptedBrowserDouble, LivesInTheApartmentOfTheThreadThatCreatedIt)
{
    // This thread initialised OLE first, so it is the process's main
    // apartment; a control made on another thread must still live there.
    DWORD workerId = 0;
    DWORD windowThread = 0;
    HRESULT created = E_FAIL;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        if (FAILED(OleInitialize(nullptr)))
            return;
        {
            Embedding e;
            created = e.Create();
            if (SUCCEEDED(created) && SUCCEEDED(e.Activate()))
                windowThread = GetWindowThreadProcessId(e.ControlWindow(), nullptr);
        }
        OleUninitialize();
        finished = true;
    });
    // Pumping here lets a wrongly registered control be created on this
    // thread instead of hanging the test.
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }, 10000));
    worker.join();
    ASSERT_HRESULT_SUCCEEDED(created);
    EXPECT_EQ(windowThread, workerId);
    EXPECT_TRUE(Logged("Created thread=" + std::to_string(workerId)));
}

TEST_F(ScriptedBrowserDouble, RedirectChainReportsEachAddressInOrder)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    const std::wstring last = root + L"/page?title=Chain-End";
    const std::wstring first = root + L"/redirect?to=" + QueryEncode(last) + L"&hops=2";
    const std::wstring middle = root + L"/redirect?to=" + QueryEncode(last) + L"&hops=1";

    ASSERT_HRESULT_SUCCEEDED(e.Navigate(first));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, last));
    PumpFor(200);  // nothing to wait for: no event may follow the last one

    const auto& ev = e.sink.events;
    ASSERT_EQ(ev.size(), 6u);
    EXPECT_EQ(ev[0].id, DISPID_BEFORENAVIGATE2);
    EXPECT_EQ(ev[0].url, first);
    EXPECT_EQ(ev[0].extra, L"2") << "the flags given to Navigate2";
    EXPECT_EQ(ev[1].id, DISPID_NAVIGATECOMPLETE2);
    EXPECT_EQ(ev[1].url, first);
    EXPECT_EQ(ev[2].id, DISPID_NAVIGATECOMPLETE2);
    EXPECT_EQ(ev[2].url, middle);
    EXPECT_EQ(ev[3].id, DISPID_NAVIGATECOMPLETE2);
    EXPECT_EQ(ev[3].url, last);
    EXPECT_EQ(ev[4].id, DISPID_TITLECHANGE);
    EXPECT_EQ(ev[4].url, L"Chain-End");
    EXPECT_EQ(ev[5].id, DISPID_DOCUMENTCOMPLETE);
    EXPECT_EQ(ev[5].url, last);
    EXPECT_TRUE(e.sink.layoutErrors.empty()) << e.sink.layoutErrors.front();

    // Every address really went over the wire, in order.
    const std::vector<std::string> site = Lines(ReadText(EnvFile(L"site.log")));
    const int a = FindLine(site, "GET " + PathOf(first));
    const int b = FindLine(site, "GET " + PathOf(middle), a + 1);
    const int c = FindLine(site, "GET " + PathOf(last), b + 1);
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);

    EXPECT_EQ(e.LocationUrl(), last);
    VARIANT_BOOL busy = VARIANT_TRUE;
    e.browser->get_Busy(&busy);
    EXPECT_EQ(busy, VARIANT_FALSE);
    EXPECT_TRUE(Logged("Fetch url=" + Narrow(first) + " status=302"));

    // The page is there as a document with its body.
    ComPtr<IDispatch> dispatch;
    ASSERT_HRESULT_SUCCEEDED(e.browser->get_Document(dispatch.GetAddressOf()));
    ComPtr<IHTMLDocument2> document;
    ASSERT_HRESULT_SUCCEEDED(dispatch.As(&document));
    BSTR url = nullptr;
    document->get_URL(&url);
    EXPECT_EQ(std::wstring(url ? url : L""), last);
    SysFreeString(url);
    ComPtr<IHTMLElement> body;
    ASSERT_HRESULT_SUCCEEDED(document->get_body(body.GetAddressOf()));
    BSTR html = nullptr;
    body->get_innerHTML(&html);
    EXPECT_NE(std::wstring(html ? html : L"").find(L"<h1>Chain-End</h1>"), std::wstring::npos);
    SysFreeString(html);
}

TEST_F(ScriptedBrowserDouble, CancelledNavigationsNeverReachTheSite)
{
    Embedding e;
    e.site.offerDocHost = true;
    e.site.hostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_ENABLE_REDIRECT_NOTIFICATION;
    ASSERT_TRUE(e.Start());
    EXPECT_TRUE(Logged("GetHostInfo result=0x00000000 flags=0x04000004"));

    // Cancelled at once: no request at all.
    const std::wstring never = root + L"/page?title=Never";
    e.sink.cancelNavigationTo = L"title=Never";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(never));
    EXPECT_EQ(e.sink.Count(DISPID_BEFORENAVIGATE2), 1) << "raised inside Navigate2";

    // With redirect notification the host may stop a redirect target.
    const std::wstring target = root + L"/page?title=Stop-Here";
    const std::wstring start = root + L"/redirect?to=" + QueryEncode(target);
    e.sink.cancelNavigationTo = L"title=Stop-Here";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(start));
    ASSERT_TRUE(e.WaitFor(DISPID_BEFORENAVIGATE2, target));
    PumpFor(500);  // nothing to wait for: the stopped target must never load

    EXPECT_GE(e.sink.Find(DISPID_NAVIGATECOMPLETE2, start), 0);
    EXPECT_LT(e.sink.Find(DISPID_NAVIGATECOMPLETE2, target), 0);
    EXPECT_EQ(e.sink.Count(DISPID_DOCUMENTCOMPLETE), 0);
    EXPECT_TRUE(SiteReceived(start));
    EXPECT_FALSE(SiteReceived(never));
    EXPECT_FALSE(SiteReceived(target));
    EXPECT_TRUE(Logged("Cancelled BeforeNavigate2 url=" + Narrow(target)));
}

TEST_F(ScriptedBrowserDouble, NewWindowDirectiveAsksTheHostWithTheAddress)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    e.sink.cancelNewWindow3 = true;
    const std::wstring opener = root + L"/page?title=Opener&double=newwindow%20/pay%3Fgid%3D148";
    const std::wstring wanted = root + L"/pay?gid=148";

    ASSERT_HRESULT_SUCCEEDED(e.Navigate(opener));
    ASSERT_TRUE(PumpUntil([&] { return e.sink.Count(DISPID_NEWWINDOW3) > 0; }, 8000));
    ASSERT_TRUE(PumpUntil([&] { return Logged("Cancelled NewWindow url=" + Narrow(wanted)); }, 8000));

    const int complete = e.sink.Find(DISPID_DOCUMENTCOMPLETE, opener);
    const int second = e.sink.Find(DISPID_NEWWINDOW2, L"");
    const int third = e.sink.Find(DISPID_NEWWINDOW3, wanted);
    ASSERT_GE(complete, 0);
    EXPECT_GT(second, complete) << "the page asks once it is complete";
    EXPECT_GT(third, second) << "NewWindow2 first, then NewWindow3";
    ASSERT_GE(third, 0);
    EXPECT_EQ(e.sink.events[third].extra, opener) << "the address that asked";
    EXPECT_EQ(e.sink.Count(DISPID_NEWWINDOW3), 1);
    EXPECT_TRUE(e.sink.layoutErrors.empty());
    // A cancelled new window opens nothing and leaves the page where it is.
    EXPECT_FALSE(SiteReceived(wanted));
    EXPECT_EQ(e.LocationUrl(), opener);
    EXPECT_TRUE(Logged("Cancelled NewWindow url=" + Narrow(wanted)));
}

TEST_F(ScriptedBrowserDouble, FlashDirectivePutsThePlayerWindowInThePage)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    const HWND control = e.ControlWindow();
    HWND flashAtComplete = nullptr;
    e.sink.onEvent = [&](const TestSink::Event& event) {
        if (event.id == DISPID_DOCUMENTCOMPLETE)
            flashAtComplete = FindDescendant(control, L"MacromediaFlashPlayerActiveX");
    };
    const std::wstring game = root + L"/game?type=3&server_id=7";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(game));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, game));

    // There when the document completes, inside the page window.
    ASSERT_NE(flashAtComplete, nullptr);
    EXPECT_EQ(ClassOf(GetParent(flashAtComplete)), L"Internet Explorer_Server");
    MoveWindow(flashAtComplete, 0, 0, 320, 240, TRUE);
    EXPECT_TRUE(Logged("FlashMoved rect=0,0,320,240"));

    // The next page has none.
    const std::wstring plain = root + L"/page?title=No-Flash";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(plain));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, plain));
    EXPECT_FALSE(IsWindow(flashAtComplete));
    EXPECT_EQ(FindDescendant(control, L"MacromediaFlashPlayerActiveX"), nullptr);
}

TEST_F(ScriptedBrowserDouble, NavigateDirectiveFollowsAfterItsDelay)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    const std::wstring first = root + L"/page?title=First&double=navigate%20/page%3Ftitle%3DSecond%20400";
    const std::wstring second = root + L"/page?title=Second";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(first));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, second));

    const int done = e.sink.Find(DISPID_DOCUMENTCOMPLETE, first);
    const int next = e.sink.Find(DISPID_BEFORENAVIGATE2, second);
    ASSERT_GE(done, 0);
    ASSERT_GT(next, done);
    EXPECT_GE(e.sink.events[next].tick - e.sink.events[done].tick, 350u);
    EXPECT_EQ(e.LocationUrl(), second);
}

TEST_F(ScriptedBrowserDouble, FailedAddressesRaiseNavigateError)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    const std::wstring missing = root + L"/status?code=404";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(missing));
    ASSERT_TRUE(e.WaitFor(DISPID_NAVIGATEERROR, missing));
    EXPECT_EQ(e.sink.events[e.sink.Find(DISPID_NAVIGATEERROR, missing)].extra, L"404");

    // Nothing listens on port 1: the error is one of the INET_E codes.
    const std::wstring closed = L"http://127.0.0.1:1/";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(closed));
    ASSERT_TRUE(e.WaitFor(DISPID_NAVIGATEERROR, closed));
    const long status = std::stol(e.sink.events[e.sink.Find(DISPID_NAVIGATEERROR, closed)].extra);
    EXPECT_EQ(static_cast<unsigned long>(status) & 0xFFFFFF00ul, 0x800C0000ul);

    PumpFor(200);  // nothing to wait for: no completion may follow the error
    EXPECT_EQ(e.sink.Count(DISPID_NAVIGATECOMPLETE2), 0);
    EXPECT_EQ(e.sink.Count(DISPID_DOCUMENTCOMPLETE), 0);
    EXPECT_TRUE(e.sink.layoutErrors.empty());
}

TEST_F(ScriptedBrowserDouble, LogsNavigationRefreshSilentAndKeys)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    const std::wstring page = root + L"/page?title=Logged";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(page, 2));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, page));

    const std::wstring other = root + L"/page?title=Plain-Navigate";
    BSTR url = SysAllocString(other.c_str());
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 4;
    ASSERT_HRESULT_SUCCEEDED(e.browser->Navigate(url, &flags, nullptr, nullptr, nullptr));
    SysFreeString(url);
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, other));

    ASSERT_HRESULT_SUCCEEDED(e.browser->put_Silent(1));
    VARIANT_BOOL silent = VARIANT_FALSE;
    e.browser->get_Silent(&silent);
    EXPECT_EQ(silent, VARIANT_TRUE);

    // A refresh fetches the page again without navigation events.
    const size_t eventsBefore = e.sink.events.size();
    ASSERT_HRESULT_SUCCEEDED(e.browser->Refresh());
    const std::string refetched = "Fetch url=" + Narrow(other) + " status=200";
    ASSERT_TRUE(PumpUntil([&] { return CountLines(LogLines(), refetched) == 2; }, 8000));
    PumpFor(100);  // nothing to wait for: the refetch must raise no event
    EXPECT_EQ(e.sink.events.size(), eventsBefore);
    const std::vector<std::string> site = Lines(ReadText(EnvFile(L"site.log")));
    const int firstGet = FindLine(site, "GET " + PathOf(other));
    EXPECT_GT(FindLine(site, "GET " + PathOf(other), firstGet + 1), firstGet) << "fetched twice";

    VARIANT level;
    VariantInit(&level);
    level.vt = VT_I4;
    level.lVal = REFRESH_COMPLETELY;
    e.browser->Refresh2(&level);
    e.browser->Stop();

    ComPtr<IOleInPlaceActiveObject> active;
    ASSERT_HRESULT_SUCCEEDED(e.oleObject.As(&active));
    MSG tab = {FindDescendant(e.ControlWindow(), L"Internet Explorer_Server"), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    MSG escape = tab;
    escape.wParam = VK_ESCAPE;
    EXPECT_EQ(active->TranslateAccelerator(&tab), S_OK);
    EXPECT_EQ(active->TranslateAccelerator(&escape), S_FALSE);

    // Once unadvised the sink hears nothing more.
    ASSERT_HRESULT_SUCCEEDED(e.Unadvise());
    const size_t heard = e.sink.events.size();
    const std::wstring unheard = root + L"/page?title=Unheard";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(unheard));
    ASSERT_TRUE(PumpUntil([&] { return Logged("Fire DocumentComplete url=" + Narrow(unheard)); }, 8000));
    EXPECT_EQ(e.sink.events.size(), heard);

    const std::vector<std::string> log = LogLines();
    int at = -1;
    for (const std::string& line :
         {std::string("Advise cookie=1"), "Navigate2 url=" + Narrow(page) + " flags=2",
          "Navigate url=" + Narrow(other) + " flags=4", std::string("put_Silent value=1"), std::string("Refresh"),
          std::string("Refresh2 level=0"), std::string("Refresh2 level=3"), std::string("Stop"),
          std::string("TranslateAccelerator message=0x00000100 key=0x00000009 result=S_OK"),
          std::string("TranslateAccelerator message=0x00000100 key=0x0000001b result=S_FALSE"),
          std::string("Unadvise cookie=1")}) {
        const int next = FindLine(log, line, at + 1);
        EXPECT_GT(next, at) << line << " missing or out of order";
        at = next < 0 ? at : next;
    }
    // Once the container is gone the sink is released too.
    e.Shutdown();
    EXPECT_EQ(e.sink.refs, 0);
    EXPECT_EQ(e.site.refs, 0);
}

TEST_F(ScriptedBrowserDouble, OpticalZoomNeedsAPageAndAPercentInRange)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    VARIANT percent;
    VariantInit(&percent);
    percent.vt = VT_I4;
    auto zoom = [&](LONG value) {
        percent.lVal = value;
        return e.browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &percent, nullptr);
    };
    OLECMDF status = static_cast<OLECMDF>(0);
    ASSERT_HRESULT_SUCCEEDED(e.browser->QueryStatusWB(OLECMDID_OPTICAL_ZOOM, &status));
    EXPECT_EQ(status, OLECMDF_SUPPORTED);
    EXPECT_EQ(zoom(150), OLECMDERR_E_DISABLED) << "nothing to zoom before the first page";

    const std::wstring page = root + L"/page?title=Zoomed";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(page, 2));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, page));
    ASSERT_HRESULT_SUCCEEDED(e.browser->QueryStatusWB(OLECMDID_OPTICAL_ZOOM, &status));
    EXPECT_EQ(status, static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    EXPECT_EQ(zoom(150), S_OK);
    EXPECT_EQ(zoom(9), E_INVALIDARG);
    EXPECT_EQ(zoom(1001), E_INVALIDARG);
    EXPECT_EQ(zoom(10), S_OK);
    EXPECT_EQ(e.browser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr), E_INVALIDARG);

    std::vector<std::string> zooms;
    for (const std::string& line : LogLines()) {
        const size_t at = line.find("ExecWB ");
        if (at != std::string::npos)
            zooms.push_back(line.substr(at));
    }
    EXPECT_EQ(zooms, (std::vector<std::string>{"ExecWB OPTICAL_ZOOM percent=150 option=2 result=0x80040101",
                                               "ExecWB OPTICAL_ZOOM percent=150 option=2 result=0x00000000",
                                               "ExecWB OPTICAL_ZOOM percent=9 option=2 result=0x80070057",
                                               "ExecWB OPTICAL_ZOOM percent=1001 option=2 result=0x80070057",
                                               "ExecWB OPTICAL_ZOOM percent=10 option=2 result=0x00000000",
                                               "ExecWB OPTICAL_ZOOM percent=none option=0 result=0x80070057"}));
}

TEST_F(ScriptedBrowserDouble, BlankPageTakesMarkupWrittenAtOnce)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    ComPtr<IDispatch> none;
    ASSERT_HRESULT_SUCCEEDED(e.browser->get_Document(none.GetAddressOf()));
    EXPECT_EQ(none, nullptr) << "no document before the first page";

    // The blank document exists as soon as Navigate2 returns.
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(L"about:blank", 0));
    ComPtr<IDispatch> dispatch;
    ASSERT_HRESULT_SUCCEEDED(e.browser->get_Document(dispatch.GetAddressOf()));
    ComPtr<IHTMLDocument2> document;
    ASSERT_HRESULT_SUCCEEDED(dispatch.As(&document));
    SAFEARRAYBOUND bound = {1, 0};
    SAFEARRAY* strings = SafeArrayCreate(VT_VARIANT, 1, &bound);
    VARIANT* items = nullptr;
    SafeArrayAccessData(strings, reinterpret_cast<void**>(&items));
    items[0].vt = VT_BSTR;
    items[0].bstrVal = SysAllocString(L"<html><body><p id=\"x\">Written</p></body></html>");
    SafeArrayUnaccessData(strings);
    ASSERT_HRESULT_SUCCEEDED(document->write(strings));
    ASSERT_HRESULT_SUCCEEDED(document->close());
    SafeArrayDestroy(strings);

    ComPtr<IHTMLElement> body;
    ASSERT_HRESULT_SUCCEEDED(document->get_body(body.GetAddressOf()));
    BSTR html = nullptr;
    body->get_innerHTML(&html);
    EXPECT_EQ(std::wstring(html ? html : L""), L"<p id=\"x\">Written</p>");
    SysFreeString(html);

    // Its events still come, from the message loop.
    EXPECT_EQ(e.sink.Count(DISPID_NAVIGATECOMPLETE2), 0);
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, L"about:blank"));
    EXPECT_GE(e.sink.Find(DISPID_NAVIGATECOMPLETE2, L"about:blank"), 0);
}

TEST_F(ScriptedBrowserDouble, CacheablePagesLandInTheUrlCache)
{
    // Like the real control, so that cache cleaning has something to find.
    Embedding e;
    ASSERT_TRUE(e.Start());
    const std::wstring kept = root + L"/cacheable?run=" + std::to_wstring(GetTickCount());
    const std::wstring notKept = root + L"/page?title=No-Store";
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(kept));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, kept));
    ASSERT_HRESULT_SUCCEEDED(e.Navigate(notKept));
    ASSERT_TRUE(e.WaitFor(DISPID_DOCUMENTCOMPLETE, notKept));

    std::vector<char> buffer(8192);
    DWORD size = static_cast<DWORD>(buffer.size());
    EXPECT_TRUE(GetUrlCacheEntryInfoW(kept.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size));
    size = static_cast<DWORD>(buffer.size());
    EXPECT_FALSE(GetUrlCacheEntryInfoW(notKept.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size));
}

TEST_F(ScriptedBrowserDouble, NavigationNeedsAClientSite)
{
    Embedding e;
    ASSERT_TRUE(e.Start());
    ASSERT_HRESULT_SUCCEEDED(e.oleObject->SetClientSite(nullptr));
    const std::wstring page = root + L"/page?title=Siteless";
    EXPECT_EQ(e.Navigate(page), E_FAIL);
    PumpFor(300);  // nothing to wait for: the page must never be fetched
    EXPECT_FALSE(SiteReceived(page));
    EXPECT_EQ(e.sink.Count(DISPID_BEFORENAVIGATE2), 0);
}

} // namespace
