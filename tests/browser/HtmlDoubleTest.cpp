// ctest: browser-double
// Wine's own control has no window the site can find; the scripted double does.
#include "HtmlThreadFixture.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

class HtmlThreadDouble : public HtmlThreadFixture {};

} // namespace

TEST_F(HtmlThreadDouble, LayoutIsFourPixelsTallerBeforeTheGameViewAndSizesTheFlashWindow)
{
    // Before the control exists the layout is a no-op.
    proxy.OnSize();

    CreateBrowserWindow();
    HWND control = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (control = html.browser.GetControlWindow()) != nullptr; }));

    SetWindowPos(html.hwnd, nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    proxy.OnSize();
    auto controlHeight = [&] {
        RECT r;
        GetWindowRect(control, &r);
        return r.bottom - r.top;
    };
    EXPECT_TRUE(WaitFor([&] { return controlHeight() == 304; })) << controlHeight();

    // A Flash player window anywhere inside the control is sized exactly.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MacromediaFlashPlayerActiveX";
    RegisterClassW(&wc);
    const HWND flash = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 10, 10,
                                       50, 50, control, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(CMyHtml::FindFlashWindow(html.hwnd), flash);
    proxy.OnSize();
    // The flash window gets the exact client size, the control 4 more.
    auto flashSized = [&] {
        RECT r;
        GetWindowRect(flash, &r);
        return r.right - r.left == 600 && r.bottom - r.top == 300;
    };
    EXPECT_TRUE(WaitFor(flashSized));
    EXPECT_EQ(controlHeight(), 304);

    // In the game view the control is exactly as tall as the window.
    proxy.EnterGameView();
    EXPECT_TRUE(WaitFor([&] { return controlHeight() == 300; })) << controlHeight();
    EXPECT_TRUE(flashSized());
    DestroyWindow(flash);
}

namespace {

// Collects what the site callbacks report; they run on the browser thread.
struct CallbackLog {
    std::mutex lock;
    std::vector<std::wstring> navigated;
    std::vector<std::wstring> newWindows;
    std::vector<std::wstring> documents;

    size_t Count(const std::vector<std::wstring>& list)
    {
        std::lock_guard<std::mutex> guard(lock);
        return list.size();
    }
    std::vector<std::wstring> Copy(const std::vector<std::wstring>& list)
    {
        std::lock_guard<std::mutex> guard(lock);
        return list;
    }
};

void BindCallbacks(CWebBrowser& browser, CallbackLog& log)
{
    browser.SetOnNavigateComplete([&log](const wchar_t* url) {
        std::lock_guard<std::mutex> guard(log.lock);
        log.navigated.emplace_back(url);
    });
    browser.SetOnDocumentComplete([&log](IDispatch*, const wchar_t* url) {
        std::lock_guard<std::mutex> guard(log.lock);
        log.documents.emplace_back(url);
    });
    browser.SetOnNewWindow([&log](IDispatch**, short*& cancel, unsigned long, wchar_t*, wchar_t* url) {
        std::lock_guard<std::mutex> guard(log.lock);
        log.newWindows.emplace_back(url);
        *cancel = VARIANT_TRUE;
    });
}

} // namespace

TEST_F(HtmlThreadDouble, ARedirectedStartAddressReachesTheCallbacksWithEachAddressInOrder)
{
    CallbackLog log;
    // As the game window does: create, bind the callbacks, navigate, silence.
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, log);
    const std::wstring target = SiteUrl("/lander/qmvt?arrived=1");
    const std::wstring start = SiteUrl("/redirect?to=%2Flander%2Fqmvt%3Farrived%3D1&hops=2");
    proxy.Navigate(start.c_str(), 2);
    proxy.SetSilent(1);
    ASSERT_TRUE(WaitFor([&] { return log.Count(log.documents) >= 1; }));
    const auto navigated = log.Copy(log.navigated);
    ASSERT_EQ(navigated.size(), 3u);
    EXPECT_EQ(navigated.front(), start);
    EXPECT_NE(navigated[1], start);
    EXPECT_NE(navigated[1], target);
    EXPECT_EQ(navigated.back(), target);
    EXPECT_EQ(log.Copy(log.documents).back(), target);
}

TEST_F(HtmlThreadDouble, ANewWindowDirectiveReachesTheNewWindowCallback)
{
    CallbackLog log;
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, log);
    proxy.Navigate(SiteUrl("/page?title=t&double=newwindow%20http%3A%2F%2F127.0.0.1%2Fpopup").c_str(), 2);
    ASSERT_TRUE(WaitFor([&] { return log.Count(log.newWindows) >= 1; }));
    EXPECT_EQ(log.Copy(log.newWindows).front(), L"http://127.0.0.1/popup");
}

TEST_F(HtmlThreadDouble, EscInTheGameViewReachesTheParentAndIsStillOfferedToTheControl)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring logPath = std::wstring(temp) + L"esc-offered-" +
                                 std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(logPath.c_str());
    SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", logPath.c_str());
    CreateBrowserWindow();
    HWND page = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        page = FindWindowExW(FindWindowExW(FindWindowExW(html.hwnd, nullptr, L"Shell Embedding", nullptr),
                                           nullptr, L"Shell DocObject View", nullptr),
                             nullptr, L"Internet Explorer_Server", nullptr);
        return page != nullptr;
    }));

    proxy.EnterGameView();
    manager.Settle();
    PostMessageW(page, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitFor([&] { return !parent.commands.empty(); }));
    EXPECT_EQ(parent.commands, (std::vector<int>{LeaveFullScreenCommand}));
    // The key also went to the control, which logs what it is offered.
    auto offered = [&] {
        // The temp path is plain ASCII here.
        std::string bytes = ReadFile(std::string(logPath.begin(), logPath.end()));
        // The log may be UTF-16; keep the ASCII bytes only.
        bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
        return bytes.find("TranslateAccelerator message=0x00000100 key=0x0000001b") != std::string::npos;
    };
    EXPECT_TRUE(WaitFor(offered));
    SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", nullptr);
}

namespace {

// The double's call log for the controls this test creates: named before
// any is created, read back line by line without the "#<n> " prefix.
class ControlLog {
public:
    explicit ControlLog(const wchar_t* name)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(path.c_str());
        SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", path.c_str());
    }
    ~ControlLog() { SetEnvironmentVariableW(L"LUMARION_DOUBLE_LOG", nullptr); }
    ControlLog(const ControlLog&) = delete;
    ControlLog& operator=(const ControlLog&) = delete;

    std::vector<std::string> Lines() const
    {
        // The temp path is plain ASCII here.
        std::istringstream text(ReadFile(std::string(path.begin(), path.end())));
        std::vector<std::string> lines;
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const size_t space = line.find(' ');
            if (space != std::string::npos)
                lines.push_back(line.substr(space + 1));
        }
        return lines;
    }
    // The lines that start with one of `prefixes`, in order.
    std::vector<std::string> Lines(const std::vector<std::string>& prefixes) const
    {
        std::vector<std::string> kept;
        for (const std::string& line : Lines()) {
            for (const std::string& prefix : prefixes) {
                if (line.compare(0, prefix.size(), prefix) == 0) {
                    kept.push_back(line);
                    break;
                }
            }
        }
        return kept;
    }

private:
    std::wstring path;
};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The page events and the zoom calls, in order.
const std::vector<std::string> kPageAndZoom = {"Fire NavigateComplete2 ", "Fire DocumentComplete ",
                                               "ExecWB OPTICAL_ZOOM "};

std::vector<std::string> PageWithZoom(const std::wstring& url, const std::string& zoom)
{
    std::vector<std::string> lines = {"Fire NavigateComplete2 url=" + Narrow(url),
                                      "Fire DocumentComplete url=" + Narrow(url)};
    if (!zoom.empty()) {
        const std::string applied = "ExecWB OPTICAL_ZOOM percent=" + zoom + " option=2 result=0x00000000";
        lines.insert(lines.begin() + 1, applied);
        lines.push_back(applied);
    }
    return lines;
}

} // namespace

TEST_F(HtmlThreadDouble, TheControlIsToldThePageIsLaidOutForTheDisplay)
{
    ControlLog control(L"host-info");
    CreateBrowserWindow();
    // NO3DBORDER | SCROLL_NO | THEME | DPI_AWARE, asked when the site is set.
    EXPECT_EQ(control.Lines({"GetHostInfo "}),
              std::vector<std::string>{"GetHostInfo result=0x00000000 flags=0x4004000c cbSize=" +
                                       std::to_string(sizeof(DOCHOSTUIINFO)) + " commandTarget=no"});
}

TEST_F(HtmlThreadDouble, AZoomAskedBeforeTheControlExistsReachesEveryPageAfterIt)
{
    ControlLog control(L"zoom-first");
    CallbackLog pages;
    // Asked before the window is: kept until there is a page to zoom.
    proxy.SetZoom(150);
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, pages);
    const std::wstring first = SiteUrl("/page?title=one");
    proxy.Navigate(first.c_str(), 2);
    // The site zooms from inside the event, before the host's callback runs.
    ASSERT_TRUE(WaitFor([&] { return pages.Count(pages.documents) >= 1; }));
    EXPECT_EQ(control.Lines(kPageAndZoom), PageWithZoom(first, "150"));

    // Asked again with a page shown: at once, and for the next page too.
    proxy.SetZoom(200);
    manager.Settle();
    std::vector<std::string> expected = PageWithZoom(first, "150");
    expected.push_back("ExecWB OPTICAL_ZOOM percent=200 option=2 result=0x00000000");
    EXPECT_EQ(control.Lines(kPageAndZoom), expected);

    const std::wstring second = SiteUrl("/page?title=two");
    proxy.Navigate(second.c_str(), 2);
    ASSERT_TRUE(WaitFor([&] { return pages.Count(pages.documents) >= 2; }));
    for (const std::string& line : PageWithZoom(second, "200"))
        expected.push_back(line);
    EXPECT_EQ(control.Lines(kPageAndZoom), expected);
}

TEST_F(HtmlThreadDouble, WithoutAZoomAskedTheControlKeepsItsOwnAndAnExplicit100IsApplied)
{
    ControlLog control(L"zoom-default");
    CallbackLog pages;
    proxy.Create(0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, pages);
    const std::wstring first = SiteUrl("/page?title=plain");
    proxy.Navigate(first.c_str(), 2);
    ASSERT_TRUE(WaitFor([&] { return pages.Count(pages.documents) >= 1; }));
    EXPECT_EQ(control.Lines(kPageAndZoom), PageWithZoom(first, ""));

    // 100 asked for is still asked for: a new page may start elsewhere.
    proxy.SetZoom(100);
    const std::wstring second = SiteUrl("/page?title=hundred");
    proxy.Navigate(second.c_str(), 2);
    ASSERT_TRUE(WaitFor([&] { return pages.Count(pages.documents) >= 2; }));
    std::vector<std::string> expected = PageWithZoom(first, "");
    expected.push_back("ExecWB OPTICAL_ZOOM percent=100 option=2 result=0x00000000");
    for (const std::string& line : PageWithZoom(second, "100"))
        expected.push_back(line);
    EXPECT_EQ(control.Lines(kPageAndZoom), expected);

    // Out of the control's range: brought to its nearest end.
    proxy.SetZoom(5000);
    proxy.SetZoom(0);
    manager.Settle();
    const std::vector<std::string> zooms = control.Lines({"ExecWB OPTICAL_ZOOM "});
    ASSERT_GE(zooms.size(), 2u);
    EXPECT_EQ(zooms[zooms.size() - 2], "ExecWB OPTICAL_ZOOM percent=1000 option=2 result=0x00000000");
    EXPECT_EQ(zooms.back(), "ExecWB OPTICAL_ZOOM percent=10 option=2 result=0x00000000");
}
