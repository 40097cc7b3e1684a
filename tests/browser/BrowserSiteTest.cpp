// The browser site without a control: what it answers the control, and how
// its event sink reads hand-built event arguments.
#include "browser/CWebBrowser.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace {

const GUID kDocHostCommandHandler = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// Event arguments as the control builds them, kept alive for one call.
// `args` is in the event's declared order; Fire reverses it into rgvarg.
class Event {
public:
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    ~Event()
    {
        for (BSTR s : strings)
            SysFreeString(s);
    }
    BSTR Keep(const wchar_t* text)
    {
        strings.push_back(SysAllocString(text));
        return strings.back();
    }
    VARIANT Bstr(const wchar_t* text)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = text ? Keep(text) : nullptr;
        return v;
    }
    // A URL the way the control passes it: a VARIANT by reference.
    VARIANT UrlRef(const wchar_t* text)
    {
        inner.push_back(Bstr(text));
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &inner.back();
        return v;
    }
    static VARIANT Typed(VARTYPE type, void* pointer)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = type;
        v.byref = pointer;
        return v;
    }
    static VARIANT Int(LONG value)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    }
    static VARIANT Empty()
    {
        VARIANT v;
        VariantInit(&v);
        return v;
    }

    HRESULT Fire(CWebBrowser& site, DISPID id, std::vector<VARIANT> args, REFIID riid = IID_NULL)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                             static_cast<UINT>(reversed.size()), 0};
        return site.Invoke(id, riid, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

private:
    std::vector<BSTR> strings;
    std::deque<VARIANT> inner;  // referenced VARIANTs keep their addresses
};

// Stands in for the frame object that events carry.
class FakeFrame : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

// Records every callback the site makes.
struct Recorder {
    std::vector<std::wstring> seen;
    IDispatch* frame = nullptr;
    IDispatch** newWindow = nullptr;
    unsigned long flags = 0;
    std::wstring context;

    void Bind(CWebBrowser& site)
    {
        site.SetOnQuit([this] { seen.push_back(L"quit"); });
        site.SetOnTitleChange([this](const wchar_t* title) { seen.push_back(std::wstring(L"title:") + title); });
        site.SetOnBeforeNavigate([this](IDispatch* f, const wchar_t* url, short* cancel) {
            seen.push_back(std::wstring(L"before:") + url);
            frame = f;
            *cancel = VARIANT_TRUE;
        });
        site.SetOnNavigateComplete([this](const wchar_t* url) { seen.push_back(std::wstring(L"navigated:") + url); });
        site.SetOnDocumentComplete([this](IDispatch* f, const wchar_t* url) {
            seen.push_back(std::wstring(L"document:") + url);
            frame = f;
        });
        site.SetOnNavigateError([this](const wchar_t* url, long status) {
            seen.push_back(std::wstring(L"error:") + url + L":" + std::to_wstring(status));
        });
        site.SetOnNewWindow([this](IDispatch** ppDisp, short*& cancel, unsigned long f, wchar_t* ctx, wchar_t* url) {
            seen.push_back(std::wstring(L"newwindow:") + url);
            newWindow = ppDisp;
            flags = f;
            context = ctx;
            *cancel = 1;
        });
    }
};

TEST(BrowserSink, ForeignInterfaceIdAndUnlistedEventsAreRefused)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    Event e;
    EXPECT_EQ(e.Fire(site, DISPID_NAVIGATECOMPLETE2, {Event::Empty(), e.UrlRef(L"http://a/")}, IID_IDispatch),
              E_INVALIDARG);
    EXPECT_EQ(e.Fire(site, DISPID_QUIT, {}, IID_IDispatch), E_INVALIDARG);

    // NewWindow2 is not handled: new windows come only through NewWindow3.
    IDispatch* newDisp = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW2,
                     {Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), Event::Typed(VT_BYREF | VT_BOOL, &cancel)}),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(e.Fire(site, 999, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(e.Fire(site, -5501 /* DISPID_AMBIENT_SILENT */, {}), DISP_E_MEMBERNOTFOUND);

    // Listed; a navigation error without the control as its frame is not
    // the page's.
    EXPECT_EQ(e.Fire(site, DISPID_NAVIGATEERROR,
                     {Event::Empty(), e.UrlRef(L"http://a/"), Event::Empty(), Event::Empty(), Event::Empty()}),
              S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_COMMANDSTATECHANGE, {Event::Int(1), Event::Empty()}), S_OK);
    EXPECT_TRUE(record.seen.empty());
    EXPECT_EQ(cancel, VARIANT_FALSE);
}

TEST(BrowserSink, QuitAndTitleChange)
{
    CWebBrowser site;
    Event e;
    // Listed events answer S_OK with no callback, no arguments, no params.
    EXPECT_EQ(e.Fire(site, DISPID_QUIT, {}), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_TITLECHANGE, {e.Bstr(L"t")}), S_OK);
    EXPECT_EQ(site.Invoke(DISPID_TITLECHANGE, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);

    Recorder record;
    record.Bind(site);
    EXPECT_EQ(e.Fire(site, DISPID_QUIT, {}), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_TITLECHANGE, {e.Bstr(L"Lumarion")}), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_TITLECHANGE, {Event::Int(0x1234)}), S_OK);  // not a string
    EXPECT_EQ(e.Fire(site, DISPID_TITLECHANGE, {e.Bstr(nullptr)}), S_OK);     // null string
    EXPECT_EQ(e.Fire(site, DISPID_TITLECHANGE, {}), S_OK);                    // no argument
    EXPECT_EQ(record.seen, (std::vector<std::wstring>{L"quit", L"title:Lumarion"}));
}

TEST(BrowserSink, BeforeNavigatePassesFrameUrlAndCancel)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    FakeFrame frame;
    Event e;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    auto args = [&](VARIANT url, VARIANT cancelArg) {
        return std::vector<VARIANT>{Event::Typed(VT_DISPATCH, &frame), url,           Event::Empty(), Event::Empty(),
                                    Event::Empty(),                    Event::Empty(), cancelArg};
    };
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2,
                     args(e.UrlRef(L"http://x/a?b=1"), Event::Typed(VT_BYREF | VT_BOOL, &cancel))),
              S_OK);
    ASSERT_EQ(record.seen, (std::vector<std::wstring>{L"before:http://x/a?b=1"}));
    EXPECT_EQ(record.frame, &frame);
    EXPECT_EQ(cancel, VARIANT_TRUE);  // the callback wrote through to the control's flag

    // Short list, missing URL reference, non-string URL, cancel not by reference.
    std::vector<VARIANT> shortList = args(e.UrlRef(L"http://x/"), Event::Typed(VT_BYREF | VT_BOOL, &cancel));
    shortList.pop_back();
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2, shortList), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2,
                     args(Event::Typed(VT_BYREF | VT_VARIANT, nullptr), Event::Typed(VT_BYREF | VT_BOOL, &cancel))),
              S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2,
                     args(Event::Int(0x1234), Event::Typed(VT_BYREF | VT_BOOL, &cancel))),
              S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2, args(e.UrlRef(L"http://x/"), Event::Int(0x1234))), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_BEFORENAVIGATE2,
                     args(e.UrlRef(L"http://x/"), Event::Typed(VT_BYREF | VT_BOOL, nullptr))),
              S_OK);
    EXPECT_EQ(record.seen.size(), 1u);
}

// The control itself as events name it: its IUnknown is its identity.
class FakeControl : public FakeFrame {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
};

TEST(BrowserSink, NavigateErrorReachesTheHostOnlyForTheControlsOwnUncancelledNavigation)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    FakeControl control;
    FakeFrame frame;
    site.SetControlIdentity(&control);
    Event e;
    VARIANT status = Event::Int(static_cast<LONG>(0x800C0005));  // INET_E_RESOURCE_NOT_FOUND
    auto error = [&](IDispatch* source, const wchar_t* url, VARIANT_BOOL* cancel) {
        return e.Fire(site, DISPID_NAVIGATEERROR,
                      {Event::Typed(VT_DISPATCH, source), e.UrlRef(url), e.UrlRef(L""),
                       Event::Typed(VT_BYREF | VT_VARIANT, &status), Event::Typed(VT_BYREF | VT_BOOL, cancel)});
    };

    // A frame's failure is left to the control.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(error(&frame, L"http://x/frame", &cancel), S_OK);
    EXPECT_TRUE(record.seen.empty());
    EXPECT_EQ(cancel, VARIANT_FALSE);

    // The page's own: the host hears of it, and the control's error page is
    // cancelled (it would count as a completed navigation).
    EXPECT_EQ(error(&control, L"http://x/page", &cancel), S_OK);
    EXPECT_EQ(record.seen, (std::vector<std::wstring>{L"error:http://x/page:" + std::to_wstring(status.lVal)}));
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // A navigation the host cancelled in BeforeNavigate2 is no failure.
    record.seen.clear();
    VARIANT_BOOL beforeCancel = VARIANT_FALSE;
    e.Fire(site, DISPID_BEFORENAVIGATE2,
           {Event::Typed(VT_DISPATCH, &control), e.UrlRef(L"http://x/cancelled"), Event::Empty(), Event::Empty(),
            Event::Empty(), Event::Empty(), Event::Typed(VT_BYREF | VT_BOOL, &beforeCancel)});
    ASSERT_EQ(beforeCancel, VARIANT_TRUE);
    record.seen.clear();
    cancel = VARIANT_FALSE;
    EXPECT_EQ(error(&control, L"http://x/cancelled", &cancel), S_OK);
    EXPECT_TRUE(record.seen.empty());
    EXPECT_EQ(cancel, VARIANT_FALSE);
}

TEST(BrowserSink, NavigateAndDocumentCompleteReadTheUrlDefensively)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    FakeFrame frame;
    Event e;
    EXPECT_EQ(e.Fire(site, DISPID_NAVIGATECOMPLETE2,
                     {Event::Typed(VT_DISPATCH, &frame), e.UrlRef(L"http://x/game?type=3")}),
              S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_DOCUMENTCOMPLETE,
                     {Event::Typed(VT_DISPATCH, &frame), e.UrlRef(L"http://x/doc")}),
              S_OK);
    EXPECT_EQ(record.frame, &frame);
    // A frame argument of the wrong type arrives as no frame.
    EXPECT_EQ(e.Fire(site, DISPID_DOCUMENTCOMPLETE, {Event::Int(0x1234), e.UrlRef(L"http://x/second")}), S_OK);
    EXPECT_EQ(record.frame, nullptr);

    // Each of these would dereference garbage or null if trusted.
    VARIANT inner = Event::Int(0x1234);
    for (DISPID id : {DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE}) {
        EXPECT_EQ(e.Fire(site, id, {Event::Typed(VT_DISPATCH, &frame), Event::Typed(VT_BYREF | VT_VARIANT, nullptr)}),
                  S_OK);
        EXPECT_EQ(e.Fire(site, id, {Event::Typed(VT_DISPATCH, &frame), e.UrlRef(nullptr)}), S_OK);
        EXPECT_EQ(e.Fire(site, id, {Event::Typed(VT_DISPATCH, &frame), Event::Typed(VT_BYREF | VT_VARIANT, &inner)}),
                  S_OK);
        EXPECT_EQ(e.Fire(site, id, {Event::Typed(VT_DISPATCH, &frame), Event::Int(0x1234)}), S_OK);
        EXPECT_EQ(e.Fire(site, id, {e.UrlRef(L"http://x/one-argument")}), S_OK);
    }
    EXPECT_EQ(record.seen, (std::vector<std::wstring>{L"navigated:http://x/game?type=3", L"document:http://x/doc",
                                                       L"document:http://x/second"}));
}

TEST(BrowserSink, NewWindow3HandsOverEveryArgument)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    Event e;
    IDispatch* newDisp = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    auto args = [&](VARIANT ppDisp, VARIANT context, VARIANT url) {
        return std::vector<VARIANT>{ppDisp, Event::Typed(VT_BYREF | VT_BOOL, &cancel), Event::Int(0x46), context,
                                    url};
    };
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     args(Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), e.Bstr(L"http://x/from"),
                          e.Bstr(L"http://x/pay?gid=148"))),
              S_OK);
    ASSERT_EQ(record.seen, (std::vector<std::wstring>{L"newwindow:http://x/pay?gid=148"}));
    EXPECT_EQ(record.newWindow, &newDisp);
    EXPECT_EQ(record.flags, 0x46u);
    EXPECT_EQ(record.context, L"http://x/from");
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // No context is an empty context, not a null string.
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     args(Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), e.Bstr(nullptr), e.Bstr(L"http://x/2"))),
              S_OK);
    EXPECT_EQ(record.context, L"");
    EXPECT_EQ(record.seen.size(), 2u);

    // Short list, wrong URL type, null URL: nothing to open.
    std::vector<VARIANT> shortList =
        args(Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), e.Bstr(L"c"), e.Bstr(L"http://x/3"));
    shortList.erase(shortList.begin());
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3, shortList), S_OK);
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     args(Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), e.Bstr(L"c"), Event::Int(0x1234))),
              S_OK);
    EXPECT_EQ(record.seen.size(), 2u);
}

TEST(BrowserSink, NewWindow3IsCancelledWhateverTheArgumentTypes)
{
    CWebBrowser site;
    Recorder record;
    record.Bind(site);
    Event e;
    IDispatch* newDisp = nullptr;

    // A null address: nothing is opened, yet the control opens nothing.
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     {Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), Event::Typed(VT_BYREF | VT_BOOL, &cancel),
                      Event::Int(6), e.Bstr(L"http://x/page"), e.Bstr(nullptr)}),
              S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_TRUE(record.seen.empty());

    // Every argument by reference, the strings inside referenced VARIANTs,
    // the cancel flag too.
    VARIANT cancelInside;
    VariantInit(&cancelInside);
    cancelInside.vt = VT_BOOL;
    cancelInside.boolVal = VARIANT_FALSE;
    LONG flags = 6;
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     {Event::Typed(VT_BYREF | VT_DISPATCH, &newDisp), Event::Typed(VT_BYREF | VT_VARIANT, &cancelInside),
                      Event::Typed(VT_BYREF | VT_I4, &flags), e.UrlRef(L"http://x/page"), e.UrlRef(L"http://x/pay")}),
              S_OK);
    EXPECT_EQ(cancelInside.boolVal, VARIANT_TRUE);
    EXPECT_EQ(record.seen, (std::vector<std::wstring>{L"newwindow:http://x/pay"}));
    EXPECT_EQ(record.flags, 6u);

    // ppDisp of an unexpected type: still cancelled, the address still read.
    cancel = VARIANT_FALSE;
    EXPECT_EQ(e.Fire(site, DISPID_NEWWINDOW3,
                     {Event::Int(0x1234), Event::Typed(VT_BYREF | VT_BOOL, &cancel), Event::Int(6), e.Bstr(L"c"),
                      e.Bstr(L"http://x/4")}),
              S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(record.seen.back(), L"newwindow:http://x/4");
    EXPECT_EQ(record.newWindow, nullptr);
}

TEST(BrowserSite, QueryInterfaceOffersInPlaceInterfacesOnlyBeforeActivation)
{
    CWebBrowser site;
    IUnknown* asUnknown = static_cast<IDispatch*>(&site);
    auto query = [&](IUnknown* through, REFIID iid) {
        void* out = reinterpret_cast<void*>(1);
        const HRESULT hr = through->QueryInterface(iid, &out);
        if (SUCCEEDED(hr))
            static_cast<IUnknown*>(out)->Release();
        return std::make_pair(hr, out);
    };
    IDispatch* primary = static_cast<IDispatch*>(&site);
    EXPECT_EQ(query(asUnknown, IID_IUnknown).second, primary);
    EXPECT_EQ(query(asUnknown, IID_IDispatch).second, primary);
    EXPECT_EQ(query(asUnknown, DIID_DWebBrowserEvents2).second, primary);
    // Any base reaches the same answers.
    EXPECT_EQ(query(static_cast<IDocHostUIHandler*>(&site), IID_IOleClientSite).second,
              static_cast<IOleClientSite*>(&site));
    EXPECT_EQ(query(static_cast<IOleClientSite*>(&site), IID_IDocHostUIHandler).second,
              static_cast<IDocHostUIHandler*>(&site));
    EXPECT_EQ(query(static_cast<IOleInPlaceFrame*>(&site), IID_IOleInPlaceSite).second,
              static_cast<IOleInPlaceSite*>(&site));
    EXPECT_EQ(query(asUnknown, IID_IOleInPlaceFrame).second, static_cast<IOleInPlaceFrame*>(&site));
    EXPECT_EQ(query(asUnknown, IID_IOleInPlaceUIWindow).second, static_cast<IOleInPlaceFrame*>(&site));
    EXPECT_EQ(query(asUnknown, IID_IOleCommandTarget), std::make_pair(E_NOINTERFACE, static_cast<void*>(nullptr)));

    EXPECT_EQ(site.CanInPlaceActivate(), S_OK);
    EXPECT_TRUE(site.InPlaceActive());
    EXPECT_EQ(site.CanInPlaceActivate(), S_FALSE);
    for (const IID* iid : {&IID_IOleInPlaceSite, &IID_IOleInPlaceFrame, &IID_IOleInPlaceUIWindow,
                           &IID_IOleCommandTarget})
        EXPECT_EQ(query(asUnknown, *iid), std::make_pair(E_NOINTERFACE, static_cast<void*>(nullptr)));
    EXPECT_EQ(query(asUnknown, IID_IOleClientSite).first, S_OK);
    EXPECT_EQ(query(asUnknown, IID_IDocHostUIHandler).first, S_OK);
    // Every successful query above was released: the count is balanced,
    // and neither call reports it.
    EXPECT_EQ(site.References(), 0);
    EXPECT_EQ(site.AddRef(), 0u);
    EXPECT_EQ(site.References(), 1);
    EXPECT_EQ(site.Release(), 0u);
    EXPECT_EQ(site.Release(), 0u);  // below zero frees nothing
    EXPECT_EQ(site.References(), -1);
}

TEST(BrowserSite, ContainerAnswers)
{
    CWebBrowser site;
    IDocHostUIHandler* ui = &site;

    DOCHOSTUIINFO info = {};
    info.dwFlags = DOCHOSTUIFLAG_DIALOG;  // an incoming bit stays
    info.dwDoubleClick = 7;
    info.pchHostCss = reinterpret_cast<OLECHAR*>(1);
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, sizeof(DOCHOSTUIINFO));
    // NO3DBORDER, SCROLL_NO, THEME and DPI_AWARE (laid out at the display's scale).
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_DIALOG | 0x4 | 0x8 | 0x40000 | 0x40000000));
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(info.pchHostCss, nullptr);
    EXPECT_EQ(info.pchHostNS, nullptr);
    // Scroll bars shown on request; nothing else moves.
    site.SetHideScrollBars(false);
    info.dwFlags = 0;
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(0x4 | 0x40000 | 0x40000000));

    // window.external is the bridge, and it has no members.
    IDispatch* external = nullptr;
    ASSERT_EQ(ui->GetExternal(&external), S_OK);
    EXPECT_EQ(external, static_cast<IDispatch*>(&site.External()));
    LPOLESTR name = const_cast<LPOLESTR>(L"anything");
    DISPID id = 0;
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
    external->Release();

    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    MSG msg = {};
    EXPECT_EQ(ui->TranslateAccelerator(&msg, nullptr, 0), S_FALSE);

    IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
    EXPECT_EQ(site.GetMoniker(0, 0, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
    EXPECT_EQ(site.GetContainer(&container), E_FAIL);
    EXPECT_EQ(container, nullptr);

    // S_OK with nothing to offer leaves null, never stale values.
    LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(ui->GetOptionKeyPath(&key, 0), S_OK);
    EXPECT_EQ(key, nullptr);
    IDropTarget* drop = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(ui->GetDropTarget(nullptr, &drop), S_OK);
    EXPECT_EQ(drop, nullptr);
    OLECHAR* translated = reinterpret_cast<OLECHAR*>(1);
    EXPECT_EQ(ui->TranslateUrl(0, const_cast<OLECHAR*>(L"http://x/"), &translated), S_OK);
    EXPECT_EQ(translated, nullptr);
    IDataObject* data = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(ui->FilterDataObject(nullptr, &data), S_OK);
    EXPECT_EQ(data, nullptr);
}

TEST(BrowserSite, CommandHandlerAnswersOnlyScriptErrors)
{
    CWebBrowser site;
    EXPECT_EQ(site.QueryStatus(&kDocHostCommandHandler, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(site.Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(site.Exec(&IID_IDispatch, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(site.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR + 1, 0, nullptr, &out),
              OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(out.vt, VT_EMPTY);

    // A script error whose document cannot be read still lets scripts run on.
    EXPECT_TRUE(FAILED(site.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out)));
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    VARIANT notDocument;
    VariantInit(&notDocument);
    notDocument.vt = VT_UNKNOWN;
    notDocument.punkVal = static_cast<IDispatch*>(&site.External());
    VariantInit(&out);
    EXPECT_EQ(site.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &notDocument, &out), E_FAIL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
}

TEST(BrowserSite, EveryOperationWithoutAControlIsEmpty)
{
    CWebBrowser site;
    EXPECT_EQ(site.Navigate(L"http://127.0.0.1/", 2), 0);
    EXPECT_EQ(site.GetDocument(), nullptr);
    EXPECT_EQ(site.LoadHtml(L"<p>x</p>"), 0);
    wchar_t buffer[16] = L"untouched";
    int count = 16;
    EXPECT_EQ(site.GetBodyHtml(buffer, &count), 0);
    EXPECT_EQ(site.ClickElement(L"id"), 0);
    EXPECT_EQ(site.SetElementValue(L"id", L"v"), 0);
    EXPECT_EQ(site.GetElementValue(L"id", buffer, &count), 0);
    EXPECT_EQ(site.GetElementValue(L"id", buffer, nullptr), 0);
    EXPECT_EQ(count, 16);
    EXPECT_STREQ(buffer, L"untouched");
    EXPECT_EQ(site.GetControlWindow(), nullptr);

    MSG key = {};
    key.message = WM_KEYDOWN;
    EXPECT_EQ(site.TranslateBrowserKey(&key), static_cast<LONG_PTR>(E_NOTIMPL));
    key.message = WM_MOUSEMOVE;
    EXPECT_EQ(site.TranslateBrowserKey(&key), 1);

    site.Detach();  // nothing to tear down
    EXPECT_EQ(site.Attach(nullptr), false);
    EXPECT_FALSE(site.InPlaceActive());
    EXPECT_EQ(site.HostWindow(), nullptr);
    site.SetZoom(150);  // kept for a control to come; nothing to apply it to
}

}  // namespace
