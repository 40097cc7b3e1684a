// The browser site with the system's web-browser control, in windows of a
// registered manager, on an STA thread.
#include "browser/CWebBrowser.h"

#include "TestApp.h"
#include "ui/CWindowCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The test environment's directory as a Windows path (Unix path on Z:).
std::wstring EnvFile(const wchar_t* name)
{
    wchar_t env[1024] = {};
    if (!GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024))
        return L"";
    std::wstring path = std::wstring(L"Z:") + env + L"/" + name;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

std::string ReadFileText(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

// Hosts the site the way the browser window does: attached in WM_CREATE,
// detached in WM_DESTROY.
class BrowserHost : public CWindowCtrl {
public:
    void OnCreate(CREATESTRUCTW*) override { attached = browser.Attach(hwnd); }
    void OnDestroy() override { browser.Detach(); }

    CWebBrowser browser;
    bool attached = false;
};

// Answers TranslateAccelerator with a value no real control gives and
// counts the calls.
class RecordingActiveObject : public IOleInPlaceActiveObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override
    {
        translated.push_back(msg->hwnd);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    ULONG refs = 1;
    std::vector<HWND> translated;
};

class WebBrowserControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        const HRESULT ole = OleInitialize(nullptr);
        ASSERT_TRUE(ole == S_OK || ole == S_FALSE);
        oleStarted = true;
        ASSERT_TRUE(app.ok());
        ASSERT_TRUE(frame.Create(0, nullptr, L"frame", WS_POPUP, 0, 0, 640, 400, nullptr));
    }
    void TearDown() override
    {
        if (host.hwnd)
            DestroyWindow(host.hwnd);
        if (frame.hwnd)
            DestroyWindow(frame.hwnd);
        PumpPending();
        if (oleStarted)
            OleUninitialize();
    }

    HWND CreateHost()
    {
        return host.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 630, 372, frame.hwnd);
    }

    bool oleStarted = false;
    TestApp app;
    CWindowCtrl frame;
    BrowserHost host;
};

TEST_F(WebBrowserControl, AttachActivatesTheControlInItsHost)
{
    CWebBrowser& site = host.browser;
    void* out = nullptr;
    ASSERT_EQ(site.QueryInterface(IID_IOleInPlaceSite, &out), S_OK);
    site.Release();

    ASSERT_TRUE(CreateHost());
    ASSERT_TRUE(host.attached);
    const BrowserControl& held = site.Control();
    EXPECT_TRUE(held.Object() && held.InPlaceObject() && held.Browser());
    EXPECT_EQ(site.HostWindow(), host.hwnd);
    EXPECT_TRUE(site.InPlaceActive());
    EXPECT_NE(held.EventCookie(), 0u);

    // Activated: the in-place interfaces are no longer offered, and a
    // second activation is refused.
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(site.QueryInterface(IID_IOleInPlaceSite, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(site.QueryInterface(IID_IOleInPlaceFrame, &out), E_NOINTERFACE);
    EXPECT_EQ(site.CanInPlaceActivate(), S_FALSE);

    // The control holds this site as its client site.
    IOleClientSite* client = nullptr;
    ASSERT_EQ(held.Object()->GetClientSite(&client), S_OK);
    EXPECT_EQ(client, static_cast<IOleClientSite*>(&site));
    if (client)
        client->Release();

    // Its window lives inside the host, sized to it. (This control offers
    // no shell-browser service, so GetControlWindow cannot name it.)
    const HWND control = GetWindow(host.hwnd, GW_CHILD);
    ASSERT_TRUE(control);
    RECT placed = {};
    GetWindowRect(control, &placed);
    EXPECT_EQ(placed.right - placed.left, 630);
    EXPECT_EQ(placed.bottom - placed.top, 372);

    IOleInPlaceFrame* frameInterface = nullptr;
    IOleInPlaceUIWindow* doc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT pos = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    EXPECT_EQ(site.GetWindowContext(&frameInterface, &doc, &pos, &clip, &info), S_OK);
    EXPECT_EQ(frameInterface, static_cast<IOleInPlaceFrame*>(&site));
    EXPECT_EQ(doc, nullptr);
    EXPECT_TRUE(EqualRect(&pos, &clip));
    EXPECT_EQ(pos.right, 630);
    EXPECT_EQ(pos.bottom, 372);
    EXPECT_EQ(info.cb, sizeof(OLEINPLACEFRAMEINFO));
    EXPECT_EQ(info.hwndFrame, frame.hwnd);
    frameInterface->Release();

    // Attached once only.
    IOleObject* first = held.Object();
    EXPECT_FALSE(site.Attach(host.hwnd));
    EXPECT_EQ(held.Object(), first);
}

TEST_F(WebBrowserControl, DetachClosesTheControlAndLetsGoOfEverything)
{
    CWebBrowser& site = host.browser;
    ASSERT_TRUE(CreateHost());
    ASSERT_TRUE(host.attached);
    const HWND control = GetWindow(host.hwnd, GW_CHILD);
    ASSERT_TRUE(control);
    const BrowserControl& held = site.Control();
    const DWORD cookie = held.EventCookie();
    ASSERT_NE(cookie, 0u);

    // Hold the control and its event point past the site's own references.
    IOleObject* object = held.Object();
    object->AddRef();
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container.QueryFrom(held.Browser(), IID_IConnectionPointContainer), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()), S_OK);

    site.Detach();
    EXPECT_FALSE(held.Browser() || held.ActiveObject() || held.InPlaceObject() || held.Object() ||
                 held.Storage());
    EXPECT_EQ(held.EventCookie(), 0u);
    EXPECT_FALSE(site.InPlaceActive());
    EXPECT_EQ(site.HostWindow(), host.hwnd);  // still records the attachment
    EXPECT_EQ(site.Navigate(L"http://127.0.0.1/", 2), 0);

    // The connection is gone, the control no longer knows the site and its
    // window is destroyed.
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    IOleClientSite* client = reinterpret_cast<IOleClientSite*>(1);
    EXPECT_EQ(object->GetClientSite(&client), S_OK);
    EXPECT_EQ(client, nullptr);
    EXPECT_FALSE(IsWindow(control));

    // Every reference the control took on the site has been returned,
    // although the control itself is still alive.
    EXPECT_EQ(site.References(), 0);
    point.Reset();
    container.Reset();
    object->Release();

    site.Detach();  // again: nothing left to do
    // A detached site can be attached afresh.
    EXPECT_TRUE(site.Attach(host.hwnd));
    EXPECT_TRUE(held.Browser());
}

TEST_F(WebBrowserControl, NavigateRequestsTheExactAddress)
{
    const std::string port = ReadFileText(EnvFile(L"site.port"));
    ASSERT_FALSE(port.empty()) << "no test site port";
    const std::wstring portText(port.begin(), port.end() - (port.back() == '\n' ? 1 : 0));
    const std::wstring path = L"/lander/qmvt?probe=" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount()) + L"&client=0";
    const std::wstring url = L"http://127.0.0.1:" + portText + path;

    CWebBrowser& site = host.browser;
    std::vector<std::wstring> before;
    site.SetOnBeforeNavigate([&](IDispatch*, const wchar_t* address, short*) { before.push_back(address); });
    ASSERT_TRUE(CreateHost());
    ASSERT_TRUE(host.attached);
    EXPECT_EQ(site.Navigate(nullptr, 2), 0);
    EXPECT_EQ(site.Navigate(url.c_str(), 2), 1);

    const std::string wanted = "GET " + std::string(path.begin(), path.end()) + "\n";
    const std::wstring log = EnvFile(L"site.log");
    EXPECT_TRUE(PumpUntil([&] { return ReadFileText(log).find(wanted) != std::string::npos; }, 15000))
        << "site log:\n" << ReadFileText(log);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(before.front(), url);
}

TEST_F(WebBrowserControl, DocumentOperationsFailWithoutADocument)
{
    // This control has no HTML engine: every document operation must come
    // back empty rather than fail on a missing document.
    CWebBrowser& site = host.browser;
    ASSERT_TRUE(CreateHost());
    ASSERT_TRUE(host.attached);
    EXPECT_EQ(site.GetDocument(), nullptr);
    EXPECT_EQ(site.LoadHtml(nullptr), 0);
    EXPECT_EQ(site.LoadHtml(L"<p id='x'>x</p>"), 0);
    PumpFor(200);  // nothing to wait for: no document may turn up later
    wchar_t buffer[8] = L"keep";
    int count = 8;
    EXPECT_EQ(site.GetBodyHtml(buffer, &count), 0);
    EXPECT_EQ(site.ClickElement(L"x"), 0);
    EXPECT_EQ(site.SetElementValue(L"x", L"v"), 0);
    EXPECT_EQ(site.GetElementValue(L"x", buffer, &count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_STREQ(buffer, L"keep");
}

TEST_F(WebBrowserControl, KeysGoToTheControlOnlyFromTheDocumentWindow)
{
    CWebBrowser& site = host.browser;
    ASSERT_TRUE(CreateHost());
    ASSERT_TRUE(host.attached);
    IOleInPlaceActiveObject* active = site.Control().ActiveObject();
    ASSERT_TRUE(active);

    // (Class names compare case-insensitively when registered, so a
    // lower-case twin cannot exist in one process.)
    CWindowCtrl document, longer, shorter;
    ASSERT_TRUE(document.Create(0, L"Internet Explorer_Server", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd));
    ASSERT_TRUE(longer.Create(0, L"Internet Explorer_Server2", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd));
    ASSERT_TRUE(shorter.Create(0, L"Internet Explorer_Serve", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd));

    MSG msg = {};
    msg.hwnd = document.hwnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    // With the real control: its own answer comes back.
    const HRESULT direct = active->TranslateAccelerator(&msg);
    EXPECT_EQ(site.TranslateBrowserKey(&msg), static_cast<LONG_PTR>(direct));
    msg.hwnd = longer.hwnd;
    EXPECT_EQ(site.TranslateBrowserKey(&msg), 1);
    msg.hwnd = document.hwnd;

    // With a recording one: only the document window's keys reach it.
    RecordingActiveObject recorder;
    EXPECT_EQ(BrowserControl::RouteKey(&recorder, &msg), 0);
    msg.message = WM_SYSKEYUP;
    EXPECT_EQ(BrowserControl::RouteKey(&recorder, &msg), 0);
    msg.message = WM_MOUSEMOVE;
    EXPECT_EQ(BrowserControl::RouteKey(&recorder, &msg), 1);
    msg.message = WM_KEYDOWN;
    for (HWND other : {longer.hwnd, shorter.hwnd, host.hwnd}) {
        msg.hwnd = other;
        EXPECT_EQ(BrowserControl::RouteKey(&recorder, &msg), 1);
    }
    EXPECT_EQ(recorder.translated, (std::vector<HWND>{document.hwnd, document.hwnd}));
    EXPECT_EQ(recorder.refs, 1u);  // offered, never kept
}

}  // namespace
