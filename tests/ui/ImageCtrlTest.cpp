// ctest: desktop
#include "ImageProbe.h"
#include "TestApp.h"

#include "ui/CImageCtrl.h"
#include "ui/CImageDialog.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class ImageCtrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExitOnCrash();
        ASSERT_TRUE(app.ok());
        SetCursorPos(1910, 1070);
    }
    TestApp app;
};

LRESULT HitAt(HWND h, int screenX, int screenY)
{
    return SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(screenX, screenY));
}

bool RegionIs(HWND h, HRGN expected)
{
    ScopedRegion actual(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(h, actual.get()) == ERROR)
        return false;
    return EqualRgn(actual.get(), expected) != FALSE;
}

int IconWidth(HICON icon)
{
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

// Records what the modal loop offers it for pre-translation.
class WalkDialog : public ProbeWindow {
public:
    int PreTranslateMessage(MSG* msg) override
    {
        if (msg->message != WM_APP + 7)
            return 0;
        offered.push_back(msg->hwnd);
        return 1;
    }
    std::vector<HWND> offered;
};

} // namespace

TEST_F(ImageCtrl, HitTestTable)
{
    struct Row {
        int x, y;
        LRESULT expected;
    } rows[] = {
        {2, 2, HTTOPLEFT},       {3, 3, HTCLIENT},      {3, 297, HTBOTTOMLEFT},
        {397, 150, HTRIGHT},     {0, 0, HTTOPLEFT},     {398, 2, HTTOPRIGHT},
        {397, 2, HTRIGHT},       {397, 297, HTBOTTOMRIGHT}, {399, 299, HTBOTTOMRIGHT},
        {2, 150, HTLEFT},        {3, 150, HTCLIENT},    {200, 2, HTTOP},
        {200, 3, HTCLIENT},      {200, 297, HTCLIENT},  {200, 298, HTBOTTOM},
        {4, 297, HTCLIENT},      {396, 150, HTCLIENT},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(CImageCtrl::HitTestZone(r.x, r.y, 400, 300, 3, 3), r.expected)
            << "(" << r.x << ", " << r.y << ")";
    }
    // Wider borders widen the zones.
    EXPECT_EQ(CImageCtrl::HitTestZone(7, 150, 400, 300, 8, 3), HTLEFT);
    EXPECT_EQ(CImageCtrl::HitTestZone(200, 6, 400, 300, 3, 8), HTTOP);
}

TEST_F(ImageCtrl, HitTestThroughTheWindowOnEitherSideOfThePrimaryMonitor)
{
    // The second window lies where a monitor left of the primary one would
    // be: its screen coordinates are negative.
    for (int left : {100, -1000}) {
        SCOPED_TRACE(left);
        ProbeWindow w;
        const HWND h = w.Open(left, 50, 400, 300);
        ASSERT_NE(h, nullptr);
        RECT client;
        GetClientRect(h, &client);
        ASSERT_EQ(client.right, 400);
        POINT origin = {0, 0};
        ClientToScreen(h, &origin);
        ASSERT_EQ(origin.x, left);

        EXPECT_EQ(HitAt(h, origin.x + 2, origin.y + 2), HTCLIENT);  // not resizable
        w.resizable = true;
        EXPECT_EQ(HitAt(h, origin.x + 2, origin.y + 2), HTTOPLEFT);
        EXPECT_EQ(HitAt(h, origin.x + 3, origin.y + 3), HTCLIENT);
        EXPECT_EQ(HitAt(h, origin.x + 3, origin.y + 297), HTBOTTOMLEFT);
        EXPECT_EQ(HitAt(h, origin.x + 397, origin.y + 150), HTRIGHT);
        EXPECT_EQ(HitAt(h, origin.x + 200, origin.y + 299), HTBOTTOM);
        EXPECT_EQ(HitAt(h, origin.x + 399, origin.y + 1), HTTOPRIGHT);
        DestroyWindow(h);
    }
}

TEST_F(ImageCtrl, CreationStripsTheSystemCaption)
{
    ProbeWindow w;
    EXPECT_STREQ(CImageCtrl().className, L"ImageCtrl");
    EXPECT_STREQ(w.className, L"ImageDialog");
    const HWND h = w.Open(100, 100, 300, 200, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(h, nullptr);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_EQ(style & (WS_CLIPCHILDREN | WS_MAXIMIZEBOX | 0x100),
              static_cast<DWORD>(WS_CLIPCHILDREN | WS_MAXIMIZEBOX | 0x100));
    EXPECT_NE(style & WS_THICKFRAME, 0u);
    EXPECT_EQ(w.painter.ownerWindow, h);
    DestroyWindow(h);
}

TEST_F(ImageCtrl, CutCornersWhenRestoredPlainWhenMaximised)
{
    const auto outline = CImageCtrl::CutCornerOutline(400, 300);
    const POINT expected[] = {{0, 1},     {1, 0},     {399, 0}, {400, 1},
                              {400, 298}, {398, 300}, {2, 300}, {0, 298}};
    for (size_t i = 0; i < outline.size(); ++i) {
        EXPECT_EQ(outline[i].x, expected[i].x) << i;
        EXPECT_EQ(outline[i].y, expected[i].y) << i;
    }

    ProbeWindow w;
    w.roundCorners = true;
    const HWND h = w.Open(100, 100, 400, 300);
    ScopedRegion restored(CreatePolygonRgn(outline.data(), 8, WINDING));
    EXPECT_TRUE(RegionIs(h, restored.get()));
    ScopedRegion actual(CreateRectRgn(0, 0, 0, 0));
    GetWindowRgn(h, actual.get());
    EXPECT_FALSE(PtInRegion(actual.get(), 0, 0));
    EXPECT_FALSE(PtInRegion(actual.get(), 0, 299));
    EXPECT_TRUE(PtInRegion(actual.get(), 200, 150));

    ShowWindow(h, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(h));
    RECT client;
    GetClientRect(h, &client);
    ScopedRegion plain(CreateRectRgn(0, 0, client.right, client.bottom));
    EXPECT_TRUE(RegionIs(h, plain.get()));

    ShowWindow(h, SW_RESTORE);
    ASSERT_FALSE(IsZoomed(h));
    EXPECT_TRUE(RegionIs(h, restored.get()));
    DestroyWindow(h);
}

TEST_F(ImageCtrl, MaximisedWindowCoversTheWorkAreaAndKeepsItsMinimumSize)
{
    ProbeWindow w;
    w.minWidth = 295;
    w.minHeight = 190;
    const HWND h = w.Open(100, 100, 400, 300);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &monitor);
    ASSERT_NE(monitor.dwFlags & MONITORINFOF_PRIMARY, 0u);

    MINMAXINFO info = {};
    info.ptMaxSize = {12345, 12345};
    info.ptMaxPosition = {-99, -99};
    SendMessageW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxSize.x, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_EQ(info.ptMaxSize.y, monitor.rcWork.bottom - monitor.rcWork.top);
    EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left);
    EXPECT_EQ(info.ptMaxPosition.y, monitor.rcWork.top);
    EXPECT_EQ(info.ptMinTrackSize.x, 295);
    EXPECT_EQ(info.ptMinTrackSize.y, 190);

    SetWindowPos(h, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 295);
    EXPECT_EQ(r.bottom - r.top, 190);

    // One missing dimension turns the clamp off.
    w.minHeight = 0;
    SetWindowPos(h, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);

    SendMessageW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.y, 0);

    ShowWindow(h, SW_MAXIMIZE);
    GetWindowRect(h, &r);
    EXPECT_TRUE(EqualRect(&r, &monitor.rcWork));
    DestroyWindow(h);
}

TEST_F(ImageCtrl, IconsStayValidAfterTheCallerDestroysItsOwn)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    ASSERT_TRUE(w.SetIconFromResource(true, 48));
    ASSERT_TRUE(w.SetIconFromResource(false, 32));
    const auto big = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(IconWidth(big), 48);
    EXPECT_EQ(IconWidth(small), 32);
    EXPECT_NE(big, small);

    // The window shows copies: destroying the caller's icon changes nothing,
    // and a replaced copy is released.
    HICON callers = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    ASSERT_NE(callers, nullptr);
    w.SetIcon(callers, false);
    DestroyIcon(callers);
    const auto shown = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(shown, callers);
    EXPECT_GT(IconWidth(shown), 0);
    EXPECT_EQ(IconWidth(small), 0);  // the earlier copy is gone
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_BIG, 0))), 48);
    DestroyWindow(h);
}

TEST_F(ImageCtrl, ClickHookDecidesWhetherTheCloseButtonCloses)
{
    ProbeWindow w;
    const HWND h = w.Open(100, 100, 300, 200);
    w.painter.AddButton(10, RECT{270, 0, 295, 25}, 209, 210, 152, 209);
    w.clickHook = [](CImageButton* b) { return b->id != 10; };
    Hover(h, 280, 10);
    ClickAt(h, 280, 10);
    EXPECT_TRUE(IsWindow(h));
    w.clickHook = nullptr;
    ClickAt(h, 280, 10);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(w.clicks, (std::vector<int>{10, 10}));
}

TEST_F(ImageCtrl, ModalLoopEndsWithTheWindowAndReportsTheDefaultResult)
{
    ProbeWindow d;
    const HWND h = d.Open(100, 100, 200, 100);
    d.painter.AddButton(10, RECT{170, 0, 195, 25}, 209, 210, 152, 209);
    // The user closes the dialog with its close button.
    PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(180, 10));
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 10));
    PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(180, 10));
    EXPECT_TRUE(d.RunModalLoop());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(d.modalRunning);
    EXPECT_EQ(d.dialogResult, DialogResult::Cancelled);
    // A loop without a window would never end: refused.
    EXPECT_FALSE(d.RunModalLoop());
}

TEST_F(ImageCtrl, ModalLoopRefusesToNestOnItselfAndOtherThreads)
{
    ProbeWindow d;
    const HWND h = d.Open(100, 100, 200, 100);
    bool inner = true;
    bool wasRunning = false;
    d.appHook = [&] {
        wasRunning = d.modalRunning;
        inner = d.RunModalLoop();
        bool fromThread = true;
        std::thread other([&] { fromThread = d.RunModalLoop(); });
        other.join();
        EXPECT_FALSE(fromThread);
        d.dialogResult = DialogResult::Confirmed;
        DestroyWindow(h);
    };
    PostMessageW(h, WM_APP + 1, 0, 0);
    EXPECT_TRUE(d.RunModalLoop());
    EXPECT_TRUE(wasRunning);
    EXPECT_FALSE(inner);
    EXPECT_EQ(d.dialogResult, DialogResult::Confirmed);
}

TEST_F(ImageCtrl, ModalLoopHandsQuitOnAndStopsWithoutLosingMessages)
{
    ProbeWindow d;
    const HWND h = d.Open(100, 100, 200, 100);
    PostQuitMessage(7);
    EXPECT_TRUE(d.RunModalLoop());
    EXPECT_TRUE(IsWindow(h));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);

    // A handler that only clears modalRunning ends the loop at once; the
    // message after it stays queued for whoever runs next.
    d.appHook = [&] { d.modalRunning = false; };
    PostMessageW(h, WM_APP + 1, 0, 0);
    PostMessageW(h, WM_APP + 2, 0, 0);
    EXPECT_TRUE(d.RunModalLoop());
    EXPECT_TRUE(PeekMessageW(&msg, h, WM_APP + 2, WM_APP + 2, PM_REMOVE));
    DestroyWindow(h);
}

TEST_F(ImageCtrl, ModalLoopOffersMessagesToTheWindowsAboveThemFirst)
{
    WalkDialog d;
    const HWND h = d.Open(100, 100, 200, 100);
    const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, h,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    d.appHook = [&] { DestroyWindow(h); };
    PostMessageW(child, WM_APP + 7, 0, 0);
    PostMessageW(h, WM_APP + 1, 0, 0);
    EXPECT_TRUE(d.RunModalLoop());
    EXPECT_EQ(d.offered, std::vector<HWND>{child});
}
