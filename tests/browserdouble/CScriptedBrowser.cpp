#include "CScriptedBrowser.h"

#include "CPageFetch.h"
#include "ScriptedBrowserModule.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <olectl.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t messageClass[] = L"ScriptedBrowserMessages";
const wchar_t shellClass[] = L"Shell Embedding";
const wchar_t viewClass[] = L"Shell DocObject View";
const wchar_t serverClass[] = L"Internet Explorer_Server";
const wchar_t flashClass[] = L"MacromediaFlashPlayerActiveX";

const UINT fetchDoneMessage = WM_APP + 1;
const UINT blankDoneMessage = WM_APP + 2;
const int maxRedirects = 20;
const long newWindowFlags = NWMF_USERINITED | NWMF_FIRST;

// The document mode the real control would pick, as it reads it when it is
// created: FEATURE_BROWSER_EMULATION for the host's file name, or "none".
std::wstring BrowserEmulationSetting()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"none";
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/')
            name = p + 1;
    }
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER,
                     L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION", name,
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return L"none";
    return std::to_wstring(value);
}

bool IsBlankUrl(const std::wstring& url)
{
    return _wcsnicmp(url.c_str(), L"about:", 6) == 0;
}

std::wstring CombineUrl(const std::wstring& base, const std::wstring& relative)
{
    if (base.empty() || IsBlankUrl(base))
        return relative;
    std::vector<wchar_t> buffer(INTERNET_MAX_URL_LENGTH + 1);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (InternetCombineUrlW(base.c_str(), relative.c_str(), buffer.data(), &size, ICU_NO_ENCODE))
        return std::wstring(buffer.data(), size);
    return relative;
}

// The text of a VARIANT argument, looking through a reference. False when it
// is missing or cannot become a string.
bool VariantText(VARIANT* value, std::wstring& text)
{
    if (!value)
        return false;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, value)))
        return false;
    bool ok = false;
    if (copy.vt != VT_EMPTY && copy.vt != VT_NULL && copy.vt != VT_ERROR &&
        SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_BSTR))) {
        text.assign(copy.bstrVal ? copy.bstrVal : L"", SysStringLen(copy.bstrVal));
        ok = true;
    }
    VariantClear(&copy);
    return ok;
}

long VariantLong(VARIANT* value, long fallback)
{
    if (!value)
        return fallback;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, value)))
        return fallback;
    long result = fallback;
    if (copy.vt != VT_EMPTY && copy.vt != VT_NULL && copy.vt != VT_ERROR &&
        SUCCEEDED(VariantChangeType(&copy, &copy, 0, VT_I4)))
        result = copy.lVal;
    VariantClear(&copy);
    return result;
}

HRESULT ReturnString(const std::wstring& text, BSTR* result)
{
    if (!result)
        return E_POINTER;
    *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnBool(VARIANT_BOOL value, VARIANT_BOOL* result)
{
    if (!result)
        return E_POINTER;
    *result = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// A BSTR VARIANT that frees itself, for event arguments passed by reference.
class EventString {
public:
    explicit EventString(const std::wstring& text)
    {
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    ~EventString() { VariantClear(&value); }
    EventString(const EventString&) = delete;
    EventString& operator=(const EventString&) = delete;
    VARIANT* get() { return &value; }

private:
    VARIANT value;
};

void SetByRef(VARIANTARG& argument, VARIANT* value)
{
    argument.vt = VT_VARIANT | VT_BYREF;
    argument.pvarVal = value;
}

std::wstring RectText(LPCRECT rect)
{
    return rect ? CDoubleLog::Rect(*rect) : std::wstring(L"none");
}

std::wstring HandleText(HWND hwnd)
{
    return CDoubleLog::Hex(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(hwnd)));
}

} // namespace

CScriptedBrowser::CScriptedBrowser() : events(*this, log)
{
    ModuleAddRef();
    RegisterWindowClasses();
    // Worker results and page timers arrive here, on the creating thread.
    messageWindow = CreateWindowExW(0, messageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), this);
    log.Write(L"Created thread=" + std::to_wstring(GetCurrentThreadId()));
    log.Write(L"Create featureBrowserEmulation=" + BrowserEmulationSetting());
}

CScriptedBrowser::~CScriptedBrowser()
{
    log.Write(L"Destroyed");
    ClearPage();
    if (shellWindow)
        DestroyWindow(shellWindow);
    if (messageWindow)
        DestroyWindow(messageWindow);
    ModuleRelease();
}

void CScriptedBrowser::RegisterWindowClasses()
{
    struct ClassInfo {
        const wchar_t* name;
        WNDPROC procedure;
        int brush;
    };
    const ClassInfo classes[] = {
        {messageClass, &CScriptedBrowser::MessageWindowProc, -1},
        {shellClass, &CScriptedBrowser::ShellWindowProc, -1},
        {viewClass, &CScriptedBrowser::ViewWindowProc, -1},
        {serverClass, &CScriptedBrowser::ServerWindowProc, WHITE_BRUSH},
        {flashClass, &CScriptedBrowser::FlashWindowProc, BLACK_BRUSH},
    };
    for (const ClassInfo& info : classes) {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = info.procedure;
        windowClass.hInstance = ModuleInstance();
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = info.brush >= 0 ? static_cast<HBRUSH>(GetStockObject(info.brush)) : nullptr;
        windowClass.lpszClassName = info.name;
        // Fails harmlessly when an earlier control registered it.
        RegisterClassExW(&windowClass);
    }
}

void CScriptedBrowser::UnregisterWindowClasses()
{
    for (const wchar_t* name : {messageClass, shellClass, viewClass, serverClass, flashClass})
        UnregisterClassW(name, ModuleInstance());
}

// ---- window procedures -----------------------------------------------------

static CScriptedBrowser* BrowserOf(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        void* browser = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(browser));
    }
    return reinterpret_cast<CScriptedBrowser*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK CScriptedBrowser::MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CScriptedBrowser* browser = BrowserOf(hwnd, message, lParam);
    switch (message) {
    case fetchDoneMessage:
        if (browser)
            browser->OnFetchDone(wParam);
        return 0;
    case blankDoneMessage:
        if (browser)
            browser->OnBlankDone(wParam);
        return 0;
    case WM_TIMER:
        if (browser)
            browser->OnPageTimer(wParam);
        return 0;
    case WM_NCDESTROY:
        if (browser)
            browser->messageWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CScriptedBrowser::ShellWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CScriptedBrowser* browser = BrowserOf(hwnd, message, lParam);
    switch (message) {
    case WM_SIZE:
        if (browser && browser->viewWindow)
            MoveWindow(browser->viewWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (browser && (!(position->flags & SWP_NOMOVE) || !(position->flags & SWP_NOSIZE)))
            browser->LogWindowMove(hwnd, L"WindowMoved");
        // The default handling sends WM_SIZE and WM_MOVE.
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        if (browser)
            browser->shellWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CScriptedBrowser::ViewWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CScriptedBrowser* browser = BrowserOf(hwnd, message, lParam);
    switch (message) {
    case WM_SIZE:
        if (browser && browser->serverWindow)
            MoveWindow(browser->serverWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_NCDESTROY:
        if (browser)
            browser->viewWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CScriptedBrowser::ServerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CScriptedBrowser* browser = BrowserOf(hwnd, message, lParam);
    switch (message) {
    case WM_PAINT:
        if (!browser)
            return DefWindowProcW(hwnd, message, wParam, lParam);
        browser->PaintServer(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        // A click gives the page the keyboard, as in the real control.
        SetFocus(hwnd);
        return 0;
    case WM_NCDESTROY:
        if (browser)
            browser->serverWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK CScriptedBrowser::FlashWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CScriptedBrowser* browser = BrowserOf(hwnd, message, lParam);
    switch (message) {
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (browser && (!(position->flags & SWP_NOMOVE) || !(position->flags & SWP_NOSIZE)))
            browser->LogWindowMove(hwnd, L"FlashMoved");
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        RECT client = {};
        GetClientRect(hwnd, &client);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(160, 160, 160));
        DrawTextW(dc, flashClass, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_NCDESTROY:
        if (browser && browser->flashWindow == hwnd)
            browser->flashWindow = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

RECT CScriptedBrowser::WindowRectInParent(HWND hwnd) const
{
    RECT rect = {};
    if (!hwnd || !GetWindowRect(hwnd, &rect))
        return RECT{};
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CScriptedBrowser::LogWindowMove(HWND hwnd, const wchar_t* name)
{
    log.Write(std::wstring(name) + L" rect=" + CDoubleLog::Rect(WindowRectInParent(hwnd)));
}

void CScriptedBrowser::PaintServer(HWND hwnd)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    RECT client = {};
    GetClientRect(hwnd, &client);
    InflateRect(&client, -8, -8);
    std::wstring text = L"ScriptedBrowser\n" + locationUrl;
    if (document && !document->Title().empty())
        text += L"\n" + document->Title();
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(hwnd, &paint);
}

// ---- navigation --------------------------------------------------------------

HRESULT CScriptedBrowser::StartNavigation(const std::wstring& url, long flags, const wchar_t* call)
{
    if (!clientSite) {
        // What the real control answers before it has a site.
        log.Write(std::wstring(call) + L" refused: no client site");
        return E_FAIL;
    }
    ComPtr<IWebBrowser2> self(this);
    const unsigned id = ++navigationId;
    fetch.reset();
    busy = false;
    if (FireBeforeNavigate2(url, flags)) {
        log.Write(L"Cancelled BeforeNavigate2 url=" + url);
        return S_OK;
    }
    if (id != navigationId)
        return S_OK; // a handler went elsewhere or stopped
    KillPageTimers();
    mode = Mode::Navigate;
    redirects = 0;
    busy = true;
    if (IsBlankUrl(url)) {
        // The blank page exists at once, so a host can write into it right
        // after Navigate2 returns; its events follow from the message loop.
        ClearPage();
        document.Attach(new CScriptedDocument(url, std::wstring()));
        locationUrl = url;
        if (serverWindow)
            InvalidateRect(serverWindow, nullptr, TRUE);
        PostMessageW(messageWindow, blankDoneMessage, id, 0);
        return S_OK;
    }
    StartFetch(url);
    return S_OK;
}

void CScriptedBrowser::StartFetch(const std::wstring& url)
{
    fetch = CPageFetch::Start(url, messageWindow, fetchDoneMessage, navigationId);
    if (!fetch)
        FailNavigation(url, static_cast<long>(INET_E_DOWNLOAD_FAILURE));
}

void CScriptedBrowser::OnFetchDone(WPARAM navigation)
{
    if (navigation != navigationId || !fetch || !fetch->Finished())
        return;
    ComPtr<IWebBrowser2> self(this);
    const std::shared_ptr<CPageFetch> done = std::move(fetch);
    const std::wstring url = done->Url();
    if (done->Error()) {
        log.Write(L"Fetch url=" + url + L" error=" + std::to_wstring(done->Error()));
        FailNavigation(url, CPageFetch::NavigateErrorCode(done->Error()));
        return;
    }
    const int status = done->Status();
    log.Write(L"Fetch url=" + url + L" status=" + std::to_wstring(status) +
              (done->Location().empty() ? std::wstring() : L" location=" + done->Location()));
    if (status >= 300 && status < 400 && !done->Location().empty()) {
        const std::wstring next = CombineUrl(url, done->Location());
        if (++redirects > maxRedirects) {
            FailNavigation(url, static_cast<long>(INET_E_REDIRECT_FAILED));
            return;
        }
        if (mode == Mode::Navigate) {
            locationUrl = url;
            FireUrlEvent(DISPID_NAVIGATECOMPLETE2, L"NavigateComplete2", url);
            if (navigation != navigationId)
                return;
            if (hostFlags & DOCHOSTUIFLAG_ENABLE_REDIRECT_NOTIFICATION) {
                if (FireBeforeNavigate2(next, 0)) {
                    log.Write(L"Cancelled BeforeNavigate2 url=" + next);
                    busy = false;
                    return;
                }
                if (navigation != navigationId)
                    return;
            }
        }
        StartFetch(next);
        return;
    }
    if (status >= 400) {
        FailNavigation(url, status);
        return;
    }
    ShowPage(url, PageText(done->Body()));
}

void CScriptedBrowser::OnBlankDone(WPARAM navigation)
{
    if (navigation != navigationId)
        return;
    ComPtr<IWebBrowser2> self(this);
    const std::wstring url = locationUrl;
    FireUrlEvent(DISPID_NAVIGATECOMPLETE2, L"NavigateComplete2", url);
    if (navigation != navigationId)
        return;
    busy = false;
    FireUrlEvent(DISPID_DOCUMENTCOMPLETE, L"DocumentComplete", url);
}

// The final address answered: the page replaces the old one. The flash
// object exists before DocumentComplete, as it would in a parsed page; the
// other directives start once the document is complete.
void CScriptedBrowser::ShowPage(const std::wstring& url, const std::wstring& html)
{
    const unsigned navigation = navigationId;
    const bool raiseEvents = mode == Mode::Navigate;
    ClearPage();
    document.Attach(new CScriptedDocument(url, html));
    locationUrl = url;
    if (serverWindow)
        InvalidateRect(serverWindow, nullptr, TRUE);
    if (raiseEvents) {
        FireUrlEvent(DISPID_NAVIGATECOMPLETE2, L"NavigateComplete2", url);
        if (navigation != navigationId)
            return;
    }
    const std::vector<PageDirective> directives = ParsePageDirectives(html);
    const bool flash = std::any_of(directives.begin(), directives.end(),
                                   [](const PageDirective& d) { return d.kind == PageDirective::Flash; });
    if (flash && serverWindow) {
        RECT client = {};
        GetClientRect(serverWindow, &client);
        flashWindow = CreateWindowExW(0, flashClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                                      serverWindow, nullptr, ModuleInstance(), this);
        log.Write(L"Directive flash window=" + HandleText(flashWindow) + L" rect=" +
                  CDoubleLog::Rect(WindowRectInParent(flashWindow)));
    } else if (flash) {
        log.Write(L"Directive flash skipped: not in-place active");
    }
    const std::wstring title = document->Title();
    if (raiseEvents && !title.empty()) {
        FireTitleChange(title);
        if (navigation != navigationId)
            return;
    }
    busy = false;
    if (raiseEvents) {
        FireUrlEvent(DISPID_DOCUMENTCOMPLETE, L"DocumentComplete", url);
        if (navigation != navigationId)
            return;
    }
    for (const PageDirective& directive : directives) {
        switch (directive.kind) {
        case PageDirective::Navigate:
        case PageDirective::NewWindow:
        case PageDirective::Modal:
        case PageDirective::Busy: {
            const UINT_PTR timer = nextTimer++;
            if (!messageWindow || !SetTimer(messageWindow, timer, std::max<UINT>(directive.delayMs, USER_TIMER_MINIMUM), nullptr))
                break;
            pageTimers[timer] = directive;
            log.Write(L"Directive " + directive.text + L" scheduled");
            break;
        }
        case PageDirective::Flash:
            break;
        case PageDirective::Unknown:
            log.Write(L"Directive unknown text=" + directive.text);
            break;
        }
    }
}

void CScriptedBrowser::FailNavigation(const std::wstring& url, long status)
{
    busy = false;
    FireNavigateError(url, status);
}

void CScriptedBrowser::CancelNavigation()
{
    ++navigationId;
    fetch.reset();
    busy = false;
    KillPageTimers();
}

void CScriptedBrowser::KillPageTimers()
{
    for (const auto& timer : pageTimers)
        KillTimer(messageWindow, timer.first);
    pageTimers.clear();
}

void CScriptedBrowser::ClearPage()
{
    KillPageTimers();
    if (flashWindow)
        DestroyWindow(flashWindow);
    flashWindow = nullptr;
}

void CScriptedBrowser::OnPageTimer(UINT_PTR timer)
{
    KillTimer(messageWindow, timer);
    const auto found = pageTimers.find(timer);
    if (found == pageTimers.end())
        return;
    const PageDirective directive = found->second;
    pageTimers.erase(found);
    RunDirective(directive);
}

void CScriptedBrowser::RunDirective(const PageDirective& directive)
{
    ComPtr<IWebBrowser2> self(this);
    const std::wstring url = CombineUrl(locationUrl, directive.url);
    switch (directive.kind) {
    case PageDirective::Navigate:
        log.Write(L"Directive navigate url=" + url);
        StartNavigation(url, 0, L"Directive navigate");
        return;
    case PageDirective::NewWindow:
        log.Write(L"Directive newwindow url=" + url);
        FireNewWindow(url);
        return;
    case PageDirective::Modal:
        log.Write(L"Directive modal ms=" + std::to_wstring(directive.durationMs));
        RunModalBox(directive.durationMs);
        log.Write(L"Directive modal ended");
        return;
    case PageDirective::Busy:
        log.Write(L"Directive busy ms=" + std::to_wstring(directive.durationMs));
        // A script that runs this long: the thread takes no message at all.
        Sleep(directive.durationMs);
        log.Write(L"Directive busy ended");
        return;
    case PageDirective::Flash:
    case PageDirective::Unknown:
        return;
    }
}

namespace {

const wchar_t modalCaption[] = L"ScriptedBrowser modal";

BOOL CALLBACK CloseModalBox(HWND hwnd, LPARAM)
{
    wchar_t name[64] = {};
    wchar_t caption[64] = {};
    GetClassNameW(hwnd, name, 64);
    GetWindowTextW(hwnd, caption, 64);
    if (wcscmp(name, L"#32770") == 0 && wcscmp(caption, modalCaption) == 0)
        PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK EndModalBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    EnumThreadWindows(GetCurrentThreadId(), &CloseModalBox, 0);
}

} // namespace

// As a page's alert(): the system's own modal loop, owned by the document
// window, which dispatches what it gets and drops thread messages.
void CScriptedBrowser::RunModalBox(unsigned durationMs)
{
    SetTimer(nullptr, 0, std::max<UINT>(durationMs, USER_TIMER_MINIMUM), &EndModalBox);
    MessageBoxW(serverWindow, L"modal", modalCaption, MB_OK);
}

// ---- events -------------------------------------------------------------------

bool CScriptedBrowser::FireBeforeNavigate2(const std::wstring& url, long flags)
{
    log.Write(L"Fire BeforeNavigate2 url=" + url + L" flags=" + std::to_wstring(flags));
    EventString address(url);
    EventString frameName(L"");
    EventString headers(L"");
    VARIANT navigateFlags;
    VariantInit(&navigateFlags);
    navigateFlags.vt = VT_I4;
    navigateFlags.lVal = flags;
    VARIANT postData;
    VariantInit(&postData);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    // Arguments in reverse order: the last parameter comes first.
    VARIANTARG arguments[7];
    arguments[6].vt = VT_DISPATCH;
    arguments[6].pdispVal = static_cast<IWebBrowser2*>(this);
    SetByRef(arguments[5], address.get());
    SetByRef(arguments[4], &navigateFlags);
    SetByRef(arguments[3], frameName.get());
    SetByRef(arguments[2], &postData);
    SetByRef(arguments[1], headers.get());
    arguments[0].vt = VT_BOOL | VT_BYREF;
    arguments[0].pboolVal = &cancel;
    DISPPARAMS parameters = {arguments, nullptr, 7, 0};
    events.Fire(DISPID_BEFORENAVIGATE2, parameters);
    VariantClear(&postData);
    return cancel != VARIANT_FALSE;
}

void CScriptedBrowser::FireUrlEvent(DISPID id, const wchar_t* name, const std::wstring& url)
{
    log.Write(L"Fire " + std::wstring(name) + L" url=" + url);
    EventString address(url);
    VARIANTARG arguments[2];
    arguments[1].vt = VT_DISPATCH;
    arguments[1].pdispVal = static_cast<IWebBrowser2*>(this);
    SetByRef(arguments[0], address.get());
    DISPPARAMS parameters = {arguments, nullptr, 2, 0};
    events.Fire(id, parameters);
}

void CScriptedBrowser::FireNavigateError(const std::wstring& url, long status)
{
    log.Write(L"Fire NavigateError url=" + url + L" status=" + std::to_wstring(status));
    EventString address(url);
    EventString frameName(L"");
    VARIANT statusCode;
    VariantInit(&statusCode);
    statusCode.vt = VT_I4;
    statusCode.lVal = status;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANTARG arguments[5];
    arguments[4].vt = VT_DISPATCH;
    arguments[4].pdispVal = static_cast<IWebBrowser2*>(this);
    SetByRef(arguments[3], address.get());
    SetByRef(arguments[2], frameName.get());
    SetByRef(arguments[1], &statusCode);
    arguments[0].vt = VT_BOOL | VT_BYREF;
    arguments[0].pboolVal = &cancel;
    DISPPARAMS parameters = {arguments, nullptr, 5, 0};
    events.Fire(DISPID_NAVIGATEERROR, parameters);
}

void CScriptedBrowser::FireTitleChange(const std::wstring& title)
{
    log.Write(L"Fire TitleChange text=" + title);
    VARIANTARG argument;
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(title.data(), static_cast<UINT>(title.size()));
    DISPPARAMS parameters = {&argument, nullptr, 1, 0};
    events.Fire(DISPID_TITLECHANGE, parameters);
    VariantClear(&argument);
}

// NewWindow2 first, then NewWindow3 with the addresses; a cancel in either
// ends it. A window object handed back in ppDisp is navigated to the address,
// as the real control does; otherwise nothing opens.
void CScriptedBrowser::FireNewWindow(const std::wstring& url)
{
    IDispatch* target = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    {
        log.Write(L"Fire NewWindow2 url=" + url);
        VARIANTARG arguments[2];
        arguments[1].vt = VT_DISPATCH | VT_BYREF;
        arguments[1].ppdispVal = &target;
        arguments[0].vt = VT_BOOL | VT_BYREF;
        arguments[0].pboolVal = &cancel;
        DISPPARAMS parameters = {arguments, nullptr, 2, 0};
        events.Fire(DISPID_NEWWINDOW2, parameters);
    }
    if (!cancel) {
        log.Write(L"Fire NewWindow3 url=" + url + L" context=" + locationUrl + L" flags=" + std::to_wstring(newWindowFlags));
        VARIANTARG arguments[5];
        arguments[4].vt = VT_DISPATCH | VT_BYREF;
        arguments[4].ppdispVal = &target;
        arguments[3].vt = VT_BOOL | VT_BYREF;
        arguments[3].pboolVal = &cancel;
        arguments[2].vt = VT_I4;
        arguments[2].lVal = newWindowFlags;
        arguments[1].vt = VT_BSTR;
        arguments[1].bstrVal = SysAllocStringLen(locationUrl.data(), static_cast<UINT>(locationUrl.size()));
        arguments[0].vt = VT_BSTR;
        arguments[0].bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
        DISPPARAMS parameters = {arguments, nullptr, 5, 0};
        events.Fire(DISPID_NEWWINDOW3, parameters);
        SysFreeString(arguments[1].bstrVal);
        SysFreeString(arguments[0].bstrVal);
    }
    ComPtr<IDispatch> handedBack;
    handedBack.Attach(target);
    if (cancel) {
        log.Write(L"Cancelled NewWindow url=" + url);
        return;
    }
    ComPtr<IWebBrowser2> other;
    if (handedBack && SUCCEEDED(handedBack.As(&other))) {
        log.Write(L"NewWindow navigates the object handed back url=" + url);
        VARIANT address;
        VariantInit(&address);
        address.vt = VT_BSTR;
        address.bstrVal = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
        other->Navigate2(&address, nullptr, nullptr, nullptr, nullptr);
        VariantClear(&address);
        return;
    }
    log.Write(L"NewWindow allowed url=" + url);
}

// ---- activation ---------------------------------------------------------------

HRESULT CScriptedBrowser::InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT position)
{
    if (shellWindow) {
        if (position)
            SetObjectRects(position, position);
        return S_OK;
    }
    ComPtr<IOleInPlaceSite> inPlace;
    if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlace.GetAddressOf())))) {
        log.Write(L"InPlaceActivate refused: no IOleInPlaceSite");
        return E_NOINTERFACE;
    }
    const HRESULT can = inPlace->CanInPlaceActivate();
    log.Write(L"CanInPlaceActivate result=" + CDoubleLog::Hex(static_cast<unsigned long>(can)));
    if (can != S_OK)
        return E_FAIL;
    inPlace->OnInPlaceActivate();
    HWND host = nullptr;
    if (FAILED(inPlace->GetWindow(&host)) || !host)
        host = parent;
    RECT pos = position ? *position : RECT{};
    RECT clip = pos;
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    frame.Reset();
    uiWindow.Reset();
    const HRESULT context = inPlace->GetWindowContext(frame.GetAddressOf(), uiWindow.GetAddressOf(), &pos, &clip, &frameInfo);
    if (FAILED(context)) {
        pos = position ? *position : RECT{};
        clip = pos;
    }
    log.Write(L"GetWindowContext result=" + CDoubleLog::Hex(static_cast<unsigned long>(context)) + L" pos=" +
              CDoubleLog::Rect(pos) + L" clip=" + CDoubleLog::Rect(clip) + L" cb=" + std::to_wstring(frameInfo.cb) +
              L" frameWindow=" + HandleText(frameInfo.hwndFrame) + L" host=" + HandleText(host));
    if (!host || !IsWindow(host)) {
        log.Write(L"InPlaceActivate refused: no window");
        frame.Reset();
        uiWindow.Reset();
        inPlace->OnInPlaceDeactivate();
        return E_FAIL;
    }
    shellWindow = CreateWindowExW(0, shellClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, pos.left,
                                  pos.top, pos.right - pos.left, pos.bottom - pos.top, host, nullptr, ModuleInstance(), this);
    RECT inside = {};
    GetClientRect(shellWindow, &inside);
    viewWindow = CreateWindowExW(0, viewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, inside.right,
                                 inside.bottom, shellWindow, nullptr, ModuleInstance(), this);
    serverWindow = CreateWindowExW(0, serverClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0,
                                   inside.right, inside.bottom, viewWindow, nullptr, ModuleInstance(), this);
    inPlaceSite = inPlace;
    log.Write(L"InPlaceActive window=" + HandleText(shellWindow) + L" server=" + HandleText(serverWindow) + L" rect=" +
              CDoubleLog::Rect(WindowRectInParent(shellWindow)));
    return shellWindow && serverWindow ? S_OK : E_FAIL;
}

void CScriptedBrowser::UIActivate()
{
    if (uiActive || !inPlaceSite)
        return;
    inPlaceSite->OnUIActivate();
    if (frame)
        frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"ScriptedBrowser");
    if (uiWindow)
        uiWindow->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"ScriptedBrowser");
    if (serverWindow)
        SetFocus(serverWindow);
    uiActive = true;
    log.Write(L"UIActivate");
}

void CScriptedBrowser::ReadHostInfo()
{
    ComPtr<IDocHostUIHandler> handler;
    ComPtr<IOleCommandTarget> commandTarget;
    const bool hasCommandTarget =
        SUCCEEDED(clientSite->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(commandTarget.GetAddressOf())));
    if (FAILED(clientSite->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(handler.GetAddressOf())))) {
        log.Write(std::wstring(L"GetHostInfo none commandTarget=") + (hasCommandTarget ? L"yes" : L"no"));
        return;
    }
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof info;
    const HRESULT hr = handler->GetHostInfo(&info);
    if (SUCCEEDED(hr))
        hostFlags = info.dwFlags;
    CoTaskMemFree(info.pchHostCss);
    CoTaskMemFree(info.pchHostNS);
    log.Write(L"GetHostInfo result=" + CDoubleLog::Hex(static_cast<unsigned long>(hr)) + L" flags=" +
              CDoubleLog::Hex(info.dwFlags) + L" cbSize=" + std::to_wstring(info.cbSize) +
              L" commandTarget=" + (hasCommandTarget ? L"yes" : L"no"));
}

// ---- IUnknown / IDispatch -------------------------------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser) ||
        IsEqualIID(iid, IID_IWebBrowserApp) || IsEqualIID(iid, IID_IWebBrowser2))
        *object = static_cast<IWebBrowser2*>(this);
    else if (IsEqualIID(iid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        *object = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IServiceProvider))
        *object = static_cast<IServiceProvider*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStorage))
        *object = static_cast<IPersistStorage*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CScriptedBrowser::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

ULONG STDMETHODCALLTYPE CScriptedBrowser::Release()
{
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

// ---- IWebBrowser ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GoBack()
{
    log.Write(L"GoBack refused: no history");
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GoForward()
{
    log.Write(L"GoForward refused: no history");
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GoHome()
{
    log.Write(L"GoHome");
    return StartNavigation(L"about:blank", 0, L"GoHome");
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GoSearch()
{
    log.Write(L"GoSearch");
    return StartNavigation(L"about:blank", 0, L"GoSearch");
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName,
                                                     VARIANT* postData, VARIANT* headers)
{
    if (!url) {
        log.Write(L"Navigate url=null");
        return E_INVALIDARG;
    }
    const std::wstring address(url, SysStringLen(url));
    const long navigateFlags = VariantLong(flags, 0);
    std::wstring frameName;
    VariantText(targetFrameName, frameName);
    log.Write(L"Navigate url=" + address + L" flags=" + std::to_wstring(navigateFlags) +
              (frameName.empty() ? std::wstring() : L" frame=" + frameName));
    return StartNavigation(address, navigateFlags, L"Navigate");
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrameName,
                                                      VARIANT* postData, VARIANT* headers)
{
    std::wstring address;
    if (!VariantText(url, address)) {
        log.Write(L"Navigate2 url=invalid");
        return E_INVALIDARG;
    }
    const long navigateFlags = VariantLong(flags, 0);
    std::wstring frameName;
    VariantText(targetFrameName, frameName);
    log.Write(L"Navigate2 url=" + address + L" flags=" + std::to_wstring(navigateFlags) +
              (frameName.empty() ? std::wstring() : L" frame=" + frameName));
    return StartNavigation(address, navigateFlags, L"Navigate2");
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Refresh()
{
    log.Write(L"Refresh");
    VARIANT level;
    VariantInit(&level);
    level.vt = VT_I4;
    level.lVal = REFRESH_NORMAL;
    return Refresh2(&level);
}

// The page is fetched again and its directives run again, without navigation
// events, as the real control does on a refresh.
HRESULT STDMETHODCALLTYPE CScriptedBrowser::Refresh2(VARIANT* level)
{
    log.Write(L"Refresh2 level=" + std::to_wstring(VariantLong(level, REFRESH_NORMAL)));
    if (locationUrl.empty() || IsBlankUrl(locationUrl))
        return S_OK;
    CancelNavigation();
    mode = Mode::Reload;
    redirects = 0;
    busy = true;
    StartFetch(locationUrl);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Stop()
{
    log.Write(L"Stop");
    CancelNavigation();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Application(IDispatch** result)
{
    if (!result)
        return E_POINTER;
    return QueryInterface(IID_IDispatch, reinterpret_cast<void**>(result));
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Parent(IDispatch** result)
{
    return get_Application(result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Container(IDispatch** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    return E_NOTIMPL;
}

// Like the real control: S_OK and null before any page exists.
HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Document(IDispatch** result)
{
    if (!result)
        return E_POINTER;
    log.Write(std::wstring(L"get_Document result=") + (document ? L"document" : L"null"));
    *result = nullptr;
    if (document)
        return document->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(result));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_TopLevelContainer(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_TRUE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Type(BSTR* result)
{
    return ReturnString(L"HTML Document", result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Left(LONG* result)
{
    if (!result)
        return E_POINTER;
    *result = WindowRectInParent(shellWindow).left;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Left(LONG value)
{
    log.Write(L"put_Left value=" + std::to_wstring(value));
    const RECT rect = WindowRectInParent(shellWindow);
    if (shellWindow)
        SetWindowPos(shellWindow, nullptr, value, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Top(LONG* result)
{
    if (!result)
        return E_POINTER;
    *result = WindowRectInParent(shellWindow).top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Top(LONG value)
{
    log.Write(L"put_Top value=" + std::to_wstring(value));
    const RECT rect = WindowRectInParent(shellWindow);
    if (shellWindow)
        SetWindowPos(shellWindow, nullptr, rect.left, value, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Width(LONG* result)
{
    if (!result)
        return E_POINTER;
    const RECT rect = WindowRectInParent(shellWindow);
    *result = rect.right - rect.left;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Width(LONG value)
{
    log.Write(L"put_Width value=" + std::to_wstring(value));
    const RECT rect = WindowRectInParent(shellWindow);
    if (shellWindow)
        SetWindowPos(shellWindow, nullptr, 0, 0, value, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Height(LONG* result)
{
    if (!result)
        return E_POINTER;
    const RECT rect = WindowRectInParent(shellWindow);
    *result = rect.bottom - rect.top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Height(LONG value)
{
    log.Write(L"put_Height value=" + std::to_wstring(value));
    const RECT rect = WindowRectInParent(shellWindow);
    if (shellWindow)
        SetWindowPos(shellWindow, nullptr, 0, 0, rect.right - rect.left, value, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_LocationName(BSTR* result)
{
    return ReturnString(document && !document->Title().empty() ? document->Title() : locationUrl, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_LocationURL(BSTR* result)
{
    return ReturnString(locationUrl, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Busy(VARIANT_BOOL* result)
{
    return ReturnBool(busy ? VARIANT_TRUE : VARIANT_FALSE, result);
}

// ---- IWebBrowserApp: the parts that belong to Internet Explorer's own frame
// window; the control answers them as the real control does. ----

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Quit()
{
    log.Write(L"Quit refused: a control has no frame to close");
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ClientToWindow(int* cx, int* cy)
{
    return cx && cy ? S_OK : E_POINTER;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::PutProperty(BSTR, VARIANT)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetProperty(BSTR, VARIANT* value)
{
    if (value)
        VariantInit(value);
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Name(BSTR* result)
{
    return ReturnString(L"Microsoft Web Browser Control", result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_HWND(SHANDLE_PTR* result)
{
    if (!result)
        return E_POINTER;
    *result = 0;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_FullName(BSTR* result)
{
    if (result)
        *result = nullptr;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Path(BSTR* result)
{
    if (result)
        *result = nullptr;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Visible(VARIANT_BOOL* result)
{
    return ReturnBool(visible, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Visible(VARIANT_BOOL value)
{
    log.Write(L"put_Visible value=" + std::to_wstring(value));
    visible = value ? VARIANT_TRUE : VARIANT_FALSE;
    if (shellWindow)
        ShowWindow(shellWindow, visible ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_StatusBar(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_StatusBar(VARIANT_BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_StatusText(BSTR* result)
{
    return ReturnString(statusText, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_StatusText(BSTR value)
{
    statusText = value ? std::wstring(value, SysStringLen(value)) : std::wstring();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_ToolBar(int* result)
{
    if (!result)
        return E_POINTER;
    *result = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_ToolBar(int)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_MenuBar(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_MenuBar(VARIANT_BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_FullScreen(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_FullScreen(VARIANT_BOOL)
{
    return S_OK;
}

// ---- IWebBrowser2 ---------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::QueryStatusWB(OLECMDID command, OLECMDF* status)
{
    if (!status)
        return E_POINTER;
    if (command == OLECMDID_REFRESH || command == OLECMDID_STOP) {
        *status = static_cast<OLECMDF>(OLECMDF_SUPPORTED | OLECMDF_ENABLED);
        return S_OK;
    }
    if (command == OLECMDID_OPTICAL_ZOOM) {
        *status = static_cast<OLECMDF>(OLECMDF_SUPPORTED | (document ? OLECMDF_ENABLED : 0));
        return S_OK;
    }
    *status = static_cast<OLECMDF>(0);
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT option, VARIANT* in, VARIANT*)
{
    if (command == OLECMDID_OPTICAL_ZOOM)
        return OpticalZoom(option, in);
    log.Write(L"ExecWB command=" + std::to_wstring(static_cast<int>(command)) + L" option=" +
              std::to_wstring(static_cast<int>(option)));
    if (command == OLECMDID_REFRESH)
        return Refresh2(in);
    if (command == OLECMDID_STOP)
        return Stop();
    return OLECMDERR_E_NOTSUPPORTED;
}

// Takes a VT_I4 percent from 10 to 1000, and only once there is a page to
// zoom: before the first one it is refused.
HRESULT CScriptedBrowser::OpticalZoom(OLECMDEXECOPT option, const VARIANT* in)
{
    const bool given = in && in->vt == VT_I4;
    HRESULT hr = S_OK;
    if (!given || in->lVal < 10 || in->lVal > 1000)
        hr = E_INVALIDARG;
    else if (!document)
        hr = OLECMDERR_E_DISABLED;
    log.Write(L"ExecWB OPTICAL_ZOOM percent=" + (given ? std::to_wstring(in->lVal) : std::wstring(L"none")) +
              L" option=" + std::to_wstring(static_cast<int>(option)) +
              L" result=" + CDoubleLog::Hex(static_cast<unsigned long>(hr)));
    return hr;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_ReadyState(READYSTATE* result)
{
    if (!result)
        return E_POINTER;
    *result = busy ? READYSTATE_LOADING : document ? READYSTATE_COMPLETE : READYSTATE_UNINITIALIZED;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Offline(VARIANT_BOOL* result)
{
    return ReturnBool(offline, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Offline(VARIANT_BOOL value)
{
    log.Write(L"put_Offline value=" + std::to_wstring(value));
    offline = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Silent(VARIANT_BOOL* result)
{
    return ReturnBool(silent, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Silent(VARIANT_BOOL value)
{
    log.Write(L"put_Silent value=" + std::to_wstring(value));
    silent = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_RegisterAsBrowser(VARIANT_BOOL* result)
{
    return ReturnBool(registerAsBrowser, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_RegisterAsBrowser(VARIANT_BOOL value)
{
    registerAsBrowser = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_RegisterAsDropTarget(VARIANT_BOOL* result)
{
    return ReturnBool(registerAsDropTarget, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_RegisterAsDropTarget(VARIANT_BOOL value)
{
    registerAsDropTarget = value;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_TheaterMode(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_TheaterMode(VARIANT_BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_AddressBar(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_AddressBar(VARIANT_BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::get_Resizable(VARIANT_BOOL* result)
{
    return ReturnBool(VARIANT_FALSE, result);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::put_Resizable(VARIANT_BOOL)
{
    return S_OK;
}

// ---- IOleObject ------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetClientSite(IOleClientSite* site)
{
    log.Write(std::wstring(L"SetClientSite site=") + (site ? L"set" : L"null"));
    if (!site && (inPlaceSite || shellWindow))
        InPlaceDeactivate();
    clientSite = site;
    hostFlags = 0;
    if (clientSite)
        ReadHostInfo();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = clientSite.Get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetHostNames(LPCOLESTR, LPCOLESTR)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Close(DWORD saveOption)
{
    log.Write(L"Close save=" + std::to_wstring(saveOption));
    CancelNavigation();
    InPlaceDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetMoniker(DWORD, IMoniker*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::InitFromData(IDataObject*, BOOL, DWORD)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetClipboardData(DWORD, IDataObject** data)
{
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                                                   LPCRECT position)
{
    log.Write(L"DoVerb verb=" + std::to_wstring(verb) + L" rect=" + RectText(position));
    IOleClientSite* site = activeSite ? activeSite : clientSite.Get();
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(site, parent, position);
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_SHOW:
    case OLEIVERB_PRIMARY: {
        const HRESULT hr = InPlaceActivate(site, parent, position);
        if (SUCCEEDED(hr))
            UIActivate();
        return hr;
    }
    case OLEIVERB_HIDE:
        if (shellWindow)
            ShowWindow(shellWindow, SW_HIDE);
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (verbs)
        *verbs = nullptr;
    return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Update()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::IsUpToDate()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetUserClassID(CLSID* clsid)
{
    return GetClassID(clsid);
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetUserType(DWORD, LPOLESTR* type)
{
    if (type)
        *type = nullptr;
    return OLE_S_USEREG;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetExtent(DWORD aspect, SIZEL* size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    extent = *size;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetExtent(DWORD aspect, SIZEL* size)
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_FAIL;
    *size = extent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Advise(IAdviseSink*, DWORD* connection)
{
    if (connection)
        *connection = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Unadvise(DWORD)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::EnumAdvise(IEnumSTATDATA** advise)
{
    if (advise)
        *advise = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetMiscStatus(DWORD, DWORD* status)
{
    if (!status)
        return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
              OLEMISC_RECOMPOSEONRESIZE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetColorScheme(LOGPALETTE*)
{
    return E_NOTIMPL;
}

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ---------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = shellWindow;
    return shellWindow ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::InPlaceDeactivate()
{
    log.Write(L"InPlaceDeactivate");
    if (!inPlaceSite && !shellWindow)
        return S_OK;
    UIDeactivate();
    ClearPage();
    if (shellWindow)
        DestroyWindow(shellWindow);
    shellWindow = viewWindow = serverWindow = nullptr;
    const ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite);
    frame.Reset();
    uiWindow.Reset();
    if (site)
        site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::UIDeactivate()
{
    if (!uiActive)
        return S_OK;
    log.Write(L"UIDeactivate");
    uiActive = false;
    if (frame)
        frame->SetActiveObject(nullptr, nullptr);
    if (uiWindow)
        uiWindow->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite)
        inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    log.Write(L"SetObjectRects pos=" + RectText(position) + L" clip=" + RectText(clip));
    if (!position)
        return E_INVALIDARG;
    if (shellWindow)
        SetWindowPos(shellWindow, nullptr, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ReactivateAndUndo()
{
    return E_NOTIMPL;
}

// Tab moves the focus inside the page, so the control takes it; every other
// key is left to the host.
HRESULT STDMETHODCALLTYPE CScriptedBrowser::TranslateAccelerator(LPMSG message)
{
    if (!message)
        return E_INVALIDARG;
    const bool taken = message->message == WM_KEYDOWN && message->wParam == VK_TAB;
    log.Write(L"TranslateAccelerator message=" + CDoubleLog::Hex(message->message) + L" key=" +
              CDoubleLog::Hex(static_cast<unsigned long>(message->wParam)) + L" result=" + (taken ? L"S_OK" : L"S_FALSE"));
    return taken ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::EnableModeless(BOOL)
{
    return S_OK;
}

// ---- IConnectionPointContainer, IServiceProvider ------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    if (!IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &events;
    events.AddRef();
    return S_OK;
}

// The browser services a host asks for to reach the control's window.
HRESULT STDMETHODCALLTYPE CScriptedBrowser::QueryService(REFGUID service, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualGUID(service, SID_SShellBrowser) || IsEqualGUID(service, SID_STopLevelBrowser) ||
        IsEqualGUID(service, SID_SWebBrowserApp))
        return QueryInterface(iid, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

// ---- IPersistStorage: nothing is stored ---------------------------------------

HRESULT STDMETHODCALLTYPE CScriptedBrowser::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_WebBrowser;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::IsDirty()
{
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::InitNew(IStorage*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Load(IStorage*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::Save(IStorage*, BOOL)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::SaveCompleted(IStorage*)
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedBrowser::HandsOffStorage()
{
    return S_OK;
}
