// ctest: browser-double
// Wine's own control has no window the site can find; the scripted double does.
#include "HtmlThreadFixture.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

class HtmlThreadDouble : public HtmlThreadFixture {};

} // namespace

TEST_F(HtmlThreadDouble, LayoutIsFourPixelsTallerBeforeTheGameViewAndSizesTheFlashWindow)
{
    // Before the control exists the layout is a no-op.
    html.OnSize();

    CreateBrowserWindow();
    HWND control = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (control = html.browser.GetControlWindow()) != nullptr; }));

    SetWindowPos(html.hwnd, nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    html.OnSize();  // from this (non-browser) thread: posted and run there
    auto controlHeight = [&] {
        RECT r;
        GetWindowRect(control, &r);
        return r.bottom - r.top;
    };
    EXPECT_TRUE(WaitFor([&] { return controlHeight() == 304; })) << controlHeight();

    html.inGame = true;
    html.OnSize();
    EXPECT_TRUE(WaitFor([&] { return controlHeight() == 300; })) << controlHeight();

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
    html.inGame = false;
    html.OnSize();
    // The flash window gets the exact client size, the control 4 more.
    EXPECT_TRUE(WaitFor([&] {
        RECT r;
        GetWindowRect(flash, &r);
        return r.right - r.left == 600 && r.bottom - r.top == 300 && controlHeight() == 304;
    })) << controlHeight();
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
    html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, log);
    const std::wstring target = SiteUrl("/lander/qmvt?arrived=1");
    const std::wstring start = SiteUrl("/redirect?to=%2Flander%2Fqmvt%3Farrived%3D1&hops=2");
    html.Navigate(start.c_str(), 2);
    html.SetSilent(1);
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
    html.Create(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 640, 400, parent.hwnd);
    BindCallbacks(html.browser, log);
    html.Navigate(SiteUrl("/page?title=t&double=newwindow%20http%3A%2F%2F127.0.0.1%2Fpopup").c_str(), 2);
    ASSERT_TRUE(WaitFor([&] { return log.Count(log.newWindows) >= 1; }));
    EXPECT_EQ(log.Copy(log.newWindows).front(), L"http://127.0.0.1/popup");
}
