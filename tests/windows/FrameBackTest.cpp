// ctest: desktop
#include "windows/CFrameBack.h"

#include "DibCanvas.h"
#include "Input.h"
#include "Screenshot.h"
#include "TestApp.h"
#include "ui/CImageButton.h"
#include "ui/CImageStatic.h"
#include "RectAssert.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The game window's stand-in: an owned popup that notes WM_CLOSE.
class StandInGame : public CWindowCtrl {
public:
    LRESULT HandleMessage(UINT message, WPARAM, LPARAM) override
    {
        if (message == WM_CLOSE)
            ++closes;
        return 0;
    }
    int closes = 0;
};

void SendButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// The last picture the painter pushed to the screen, as 0xAARRGGBB rows
// top first, captured on its way to UpdateLayeredWindow.
struct LayeredCapture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    int pushes = 0;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
LayeredCapture g_capture;

BOOL WINAPI CaptureUpdate(HWND window, HDC screen, POINT* destination, SIZE* size, HDC source,
                          POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags)
{
    DIBSECTION dib = {};
    const HGDIOBJ bitmap = GetCurrentObject(source, OBJ_BITMAP);
    if (bitmap && GetObjectW(bitmap, sizeof(dib), &dib) == sizeof(dib) && dib.dsBm.bmBits) {
        GdiFlush();
        const int w = dib.dsBm.bmWidth;
        const int h = dib.dsBm.bmHeight;
        const auto* rows = static_cast<const uint32_t*>(dib.dsBm.bmBits);
        g_capture.width = w;
        g_capture.height = h;
        g_capture.pixels.assign(static_cast<size_t>(w) * h, 0);
        // Bottom-up DIB.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                g_capture.pixels[static_cast<size_t>(y) * w + x] = rows[(h - 1 - y) * w + x];
        }
        ++g_capture.pushes;
    }
    return UpdateLayeredWindow(window, screen, destination, size, source, sourcePoint, key, blend,
                               flags);
}

class FrameBack : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        ASSERT_NE(back.CreateLauncher(), nullptr);
        back.opener = [this](const std::wstring& address) { opened.push_back(address); };
        const RECT b = WindowRect(back.hwnd);
        ASSERT_NE(game.Create(0, nullptr, nullptr, WS_POPUP | WS_VISIBLE,
                              b.left + CFrameBack::GameOffsetX, b.top + CFrameBack::GameOffsetY,
                              CFrameBack::GameWidth, CFrameBack::GameHeight, back.hwnd),
                  nullptr);
        back.gameWindow = &game;
        ASSERT_TRUE(PumpUntil([this] { return IsWindowVisible(back.hwnd) && IsWindowVisible(game.hwnd); }));
    }
    void TearDown() override
    {
        if (game.hwnd)
            DestroyWindow(game.hwnd);
        if (back.hwnd)
            DestroyWindow(back.hwnd);
    }
    POINT ScreenPoint(int clientX, int clientY) const
    {
        POINT p = {clientX, clientY};
        ClientToScreen(back.hwnd, &p);
        return p;
    }
    bool ClickClientUntil(int x, int y, const std::function<bool()>& effect)
    {
        return ClickUntil(ScreenPoint(x, y), effect);
    }
    // Game window still at (626, 212) inside the back window, 630 x 372.
    ::testing::AssertionResult GameFollows() const
    {
        const RECT b = WindowRect(back.hwnd);
        const RECT g = WindowRect(game.hwnd);
        if (g.left == b.left + 626 && g.top == b.top + 212 && g.right - g.left == 630 &&
            g.bottom - g.top == 372)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "back (" << b.left << "," << b.top << ") game ("
                                             << g.left << "," << g.top << "," << g.right << ","
                                             << g.bottom << ")";
    }

    TestApp app;
    CFrameBack back;
    StandInGame game;
    std::vector<std::wstring> opened;
};


} // namespace

TEST(FrameBackLogic, LinkAddressesAndLauncherPlace)
{
    SiteRoots sites;
    sites.platform = L"https://platform.example";
    sites.forum = L"http://bbs.example:8080";
    sites.official = L"https://game.example";
    EXPECT_EQ(CFrameBack::LinkAddress(1003, sites, nullptr), L"https://game.example/");
    EXPECT_EQ(CFrameBack::LinkAddress(1004, sites, L"someone"),
              L"http://bbs.example:8080/forum.php?mod=forumdisplay&fid=601");
    EXPECT_EQ(CFrameBack::LinkAddress(1005, sites, L""), L"https://platform.example/services");
    EXPECT_EQ(CFrameBack::LinkAddress(1006, sites, L""), L"https://platform.example/pay?gid=148");
    EXPECT_EQ(CFrameBack::LinkAddress(1006, sites, nullptr),
              L"https://platform.example/pay?gid=148");
    EXPECT_EQ(CFrameBack::LinkAddress(1006, sites, L"玩家01"),
              L"https://platform.example/pay?gid=148&user_name=玩家01");
    EXPECT_EQ(CFrameBack::LinkAddress(20, sites, nullptr), L"");
    // Long roots and names are kept whole, not cut at some buffer size.
    sites.platform = L"https://" + std::wstring(600, L'p') + L".example";
    const std::wstring name(300, L'n');
    const std::wstring pay = CFrameBack::LinkAddress(1006, sites, name.c_str());
    EXPECT_EQ(pay, sites.platform + L"/pay?gid=148&user_name=" + name);

    EXPECT_TRUE(CFrameBack::IsWebAddress(L"http://a/"));
    EXPECT_TRUE(CFrameBack::IsWebAddress(L"HTTPS://a/"));
    for (const wchar_t* refused : {L"", L"http:", L"file:///C:/windows/win.ini",
                                   L"C:\\windows\\notepad.exe", L"javascript:alert(1)",
                                   L"httpx://a/", L" http://a/", L"ftp://a/"})
        EXPECT_FALSE(CFrameBack::IsWebAddress(refused)) << std::wstring(refused).size();

    const POINT origin = CFrameBack::LauncherOrigin({0, 0, 1920, 1040});
    EXPECT_EQ(origin.x, 254);
    EXPECT_EQ(origin.y, 168);
}

TEST_F(FrameBack, LauncherIsCentredLayeredToolWindowWithItsElements)
{
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const RECT b = WindowRect(back.hwnd);
    EXPECT_EQ(b.left, (work.right - work.left - 1411) / 2);
    EXPECT_EQ(b.top, (work.bottom - work.top - 704) / 2);
    EXPECT_EQ(b.right - b.left, 1411);
    EXPECT_EQ(b.bottom - b.top, 704);
    EXPECT_EQ(FindWindowW(L"velmor_back", nullptr), back.hwnd);
    EXPECT_EQ(GetWindow(game.hwnd, GW_OWNER), back.hwnd);

    const LONG ex = GetWindowLongW(back.hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_FALSE(GetWindowLongW(back.hwnd, GWL_STYLE) & WS_CAPTION);

    std::vector<int> ids;
    for (const auto& button : back.painter.buttons)
        ids.push_back(button->id);
    EXPECT_EQ(ids, (std::vector<int>{20, 1002, 1003, 1006, 1004, 1005}));
    ASSERT_NE(back.painter.FindButton(1004), nullptr);
    const RECT forum = back.painter.FindButton(1004)->rect;
    const RECT forumPlace = {1021, 158, 1140, 200};
    EXPECT_TRUE(EqualRect(&forum, &forumPlace));
    ASSERT_EQ(back.painter.images.size(), 1u);
    ASSERT_NE(back.painter.FindImage(1007), nullptr);
    EXPECT_TRUE(back.painter.dragEnabled);

    // The background reached the screen opaque (no alpha-0 black holes).
    back.painter.updateLayeredWindow = CaptureUpdate;
    back.painter.UpdateLayered();
    ASSERT_EQ(g_capture.width, 1411);
    EXPECT_EQ(AlphaOf(g_capture.at(100, 400)), 255);
    EXPECT_EQ(AlphaOf(g_capture.at(1000, 600)), 255);
    // What was pushed is what the screen shows.
    const RECT r = WindowRect(back.hwnd);
    auto same = [&](const ScreenCapture& s) {
        return ColorNear(s.Pixel(r.left + 100, r.top + 400), g_capture.at(100, 400), 8) &&
               ColorNear(s.Pixel(r.left + 1000, r.top + 600), g_capture.at(1000, 600), 8);
    };
    const ScreenCapture screen = CaptureScreenWhen(L"back-window", same);
    ASSERT_TRUE(screen.ok());
    EXPECT_TRUE(same(screen)) << std::hex << screen.Pixel(r.left + 100, r.top + 400) << " "
                              << g_capture.at(100, 400);
}

TEST_F(FrameBack, GameWindowFollowsWhenTheBackgroundMoves)
{
    ASSERT_TRUE(GameFollows());
    const RECT start = WindowRect(back.hwnd);
    SetWindowPos(back.hwnd, nullptr, start.left - 40, start.top + 25, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(GameFollows());

    // A real drag on the background, away from the buttons.
    const RECT before = WindowRect(back.hwnd);
    const POINT from = ScreenPoint(300, 450);
    ASSERT_TRUE(SettleCursorAt(from.x, from.y));
    SendButton(MOUSEEVENTF_LEFTDOWN);
    int step = 0;
    TimerScript drag([&] {
        ++step;
        if (step <= 6) {
            MoveMouseTo(from.x + 10 * step, from.y + 5 * step);
            return false;
        }
        SendButton(MOUSEEVENTF_LEFTUP);
        return true;
    }, 40);
    ASSERT_TRUE(PumpUntil([&] { return drag.finished(); }, 10000));
    EXPECT_TRUE(PumpUntil([&] { return WindowRect(back.hwnd).left - before.left == 60; }, 10000));
    const RECT after = WindowRect(back.hwnd);
    EXPECT_EQ(after.left - before.left, 60);
    EXPECT_EQ(after.top - before.top, 30);
    EXPECT_TRUE(GameFollows());
}

TEST_F(FrameBack, LinkButtonsOpenTheirPagesAndOnlyWebAddresses)
{
    const SiteRoots sites = DefaultSiteRoots();
    const struct {
        int x, y;
        std::wstring address;
    } links[] = {
        {679, 179, sites.official + L"/"},
        {800, 179, sites.platform + L"/pay?gid=148"},
        {1080, 179, sites.forum + L"/forum.php?mod=forumdisplay&fid=601"},
        {1201, 179, sites.platform + L"/services"},
    };
    // The background first: input is handled in order, so once the first
    // link has opened, that click has been handled too, and opened nothing.
    const POINT plain = ScreenPoint(300, 450);
    ASSERT_TRUE(SettleCursorAt(plain.x, plain.y));
    ClickAt(plain.x, plain.y);
    for (const auto& link : links) {
        opened.clear();
        ASSERT_TRUE(ClickClientUntil(link.x, link.y, [&] { return !opened.empty(); }));
        EXPECT_EQ(opened, std::vector<std::wstring>{link.address});
    }
    opened.clear();

    for (const wchar_t* refused : {L"file:///C:/windows/win.ini", L"C:\\windows\\notepad.exe",
                                   L"mailto:a@b", L"javascript:alert(1)"})
        EXPECT_FALSE(back.OpenAddress(refused));
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(back.OpenAddress(L"HTTP://Example.test/x"));
    EXPECT_EQ(opened, std::vector<std::wstring>{L"HTTP://Example.test/x"});
}

TEST_F(FrameBack, MinimiseHidesTheBackgroundAndMinimisesTheGame)
{
    ASSERT_TRUE(ClickClientUntil(1294, 136, [&] { return !IsWindowVisible(back.hwnd); }));
    EXPECT_TRUE(IsIconic(game.hwnd));
}

TEST_F(FrameBack, CloseCancelledKeepsBothWindows)
{
    const RECT before = WindowRect(back.hwnd);
    TimerScript answer = AnswerCloseDialog(212, 117);  // cancel
    // The click's handler has returned once the answer is in and the dialog gone.
    ASSERT_TRUE(ClickClientUntil(1325, 135, [&] { return answer.finished(); }));
    ASSERT_TRUE(PumpUntil([&] { return !FindWindowW(L"velmorkastel", nullptr); }, 10000));
    EXPECT_TRUE(IsWindowVisible(back.hwnd));
    EXPECT_TRUE(IsWindowVisible(game.hwnd));
    EXPECT_EQ(game.closes, 0);
    const RECT after = WindowRect(back.hwnd);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(GameFollows());
}

TEST_F(FrameBack, CloseConfirmedHidesTheBackgroundAndClosesTheGame)
{
    TimerScript answer = AnswerCloseDialog(84, 117);  // confirm
    ASSERT_TRUE(ClickClientUntil(1325, 135, [&] { return answer.finished(); }));
    ASSERT_TRUE(PumpUntil([&] { return game.closes > 0; }, 10000));
    EXPECT_EQ(game.closes, 1);
    EXPECT_FALSE(IsWindowVisible(back.hwnd));
}

TEST_F(FrameBack, ShadowModeLeavesOnlyTheThreeOutlines)
{
    back.painter.updateLayeredWindow = CaptureUpdate;
    // In launcher mode the paint hook adds nothing over the picture.
    DibCanvas idle(64, 64);
    ASSERT_TRUE(idle.ok());
    idle.Clear(0);
    back.painter.onPaintForeground(idle.graphics());
    EXPECT_EQ(idle.Pixel(5, 32), 0u);

    back.EnterShadowMode();
    EXPECT_EQ(back.shadowMode, 1);
    EXPECT_FALSE(back.painter.dragEnabled);
    EXPECT_TRUE(back.painter.buttons.empty());
    EXPECT_TRUE(back.painter.images.empty());

    // Moved and sized around a game-sized area (where the game window puts
    // it; its tests check that), it no longer drags the game window along.
    const RECT gameBefore = WindowRect(game.hwnd);
    SetWindowPos(back.hwnd, nullptr, 94, 94, 1032, 716, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(RectIs(WindowRect(game.hwnd), gameBefore));

    back.Show(SW_HIDE);
    g_capture = LayeredCapture();
    back.Show(SW_SHOWNOACTIVATE);
    ASSERT_TRUE(PumpUntil([] { return g_capture.pushes > 0; }));
    ASSERT_EQ(g_capture.width, 1032);
    ASSERT_EQ(g_capture.height, 716);
    const int w = g_capture.width;
    const int h = g_capture.height;
    // 1, 3 and 6 pixels in from each edge (right and bottom one further):
    // grey 0x8A at alpha 15, 50 and 100.
    const int expected[][2] = {{1, 15}, {3, 50}, {6, 100}};
    for (const auto& e : expected) {
        const int d = e[0];
        for (uint32_t p : {g_capture.at(d, h / 2), g_capture.at(w - 1 - d, h / 2),
                           g_capture.at(w / 2, d), g_capture.at(w / 2, h - 1 - d)}) {
            EXPECT_NEAR(AlphaOf(p), e[1], 3) << "depth " << d;
            EXPECT_NEAR(RedOf(p), 0x8A * AlphaOf(p) / 255, 2) << "depth " << d;
        }
    }
    // Nothing over the game window's area: no background picture left.
    for (int y = 12; y < h - 12; y += 7) {
        for (int x = 12; x < w - 12; x += 7)
            ASSERT_EQ(g_capture.at(x, y), 0u) << x << "," << y;
    }
}
