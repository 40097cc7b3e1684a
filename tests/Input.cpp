#include "Input.h"

#include "TestApp.h"
#include "TestFiles.h"

#include <map>
#include <string>

namespace {

std::map<UINT_PTR, TimerScript*>& Scripts()
{
    static std::map<UINT_PTR, TimerScript*> scripts;
    return scripts;
}

void SendMouse(DWORD flags, int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Absolute input is normalised to 0..65535 over the primary screen.
        input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof(input));
}

void SendKey(WORD virtualKey, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

} // namespace

void MoveMouseTo(int x, int y)
{
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
}

void ClickAt(int x, int y)
{
    MoveMouseTo(x, y);
    SendMouse(MOUSEEVENTF_LEFTDOWN, 0, 0);
    SendMouse(MOUSEEVENTF_LEFTUP, 0, 0);
}

void DoubleClickAt(int x, int y)
{
    MoveMouseTo(x, y);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN, 0, 0);
        SendMouse(MOUSEEVENTF_LEFTUP, 0, 0);
    }
}

void RightClickAt(int x, int y)
{
    MoveMouseTo(x, y);
    SendMouse(MOUSEEVENTF_RIGHTDOWN, 0, 0);
    SendMouse(MOUSEEVENTF_RIGHTUP, 0, 0);
}

bool MoveDisplayPointer(int x, int y)
{
    // The mover's process handle says nothing (a Unix program leaves Wine
    // as it starts), so it leaves a file behind once the pointer has moved.
    wchar_t env[1024] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMARION_TEST_ENV", env, 1024);
    if (length == 0 || length >= 1024)
        return false;
    static unsigned serial = 0;
    const std::wstring name = L"pointer-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    const std::wstring done = TestEnvFile(name.c_str());
    // "--": a coordinate left of or above the primary screen is negative.
    std::wstring command = L"Z:\\bin\\sh -c \"xdotool mousemove -- " + std::to_wstring(x) + L" " +
                           std::to_wstring(y) + L" && : >'" + env + L"/" + name + L"'\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const bool moved = PumpUntil([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    DeleteFileW(done.c_str());
    return moved;
}

void PressKey(WORD virtualKey)
{
    PressChord({virtualKey});
}

void PressChord(std::initializer_list<WORD> keys)
{
    for (WORD key : keys)
        SendKey(key, false);
    for (auto it = keys.end(); it != keys.begin();) {
        --it;
        SendKey(*it, true);
    }
}

bool SettleCursorAt(int x, int y)
{
    auto there = [&] {
        POINT p = {0, 0};
        GetCursorPos(&p);
        return p.x == x && p.y == y;
    };
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool display = MoveDisplayPointer(x, y);
        MoveMouseTo(x, y);
        if (!display) {
            // No display pointer to move: the injected move is all there is.
            return PumpUntil(there, 300);
        }
        // Past Wine's 100 ms the position comes from the display, so it
        // must still be right after that.
        if (PumpUntil(there, 1500) && !PumpUntil([&] { return !there(); }, 150))
            return true;
    }
    return false;
}

HWND KeyboardFocus()
{
    const HWND foreground = GetForegroundWindow();
    if (!foreground)
        return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool GiveKeyboardFocus(HWND window, DWORD timeoutMs)
{
    if (!IsWindow(window))
        return false;
    auto focused = [window] { return KeyboardFocus() == window; };
    if (focused())
        return true;
    if (GetAncestor(window, GA_ROOT) == window) {
        SetForegroundWindow(window);
    } else {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(window, &r);
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        SettleCursorAt(x, y);
        ClickAt(x, y);
    }
    return PumpUntil(focused, timeoutMs);
}

bool PressUntil(HWND focus, std::initializer_list<WORD> keys, const std::function<bool()>& effect,
                DWORD timeoutMs, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!GiveKeyboardFocus(focus))
            continue;
        PressChord(keys);
        if (PumpUntil(effect, timeoutMs))
            return true;
    }
    return false;
}

bool ClickUntil(POINT at, const std::function<bool()>& effect, DWORD timeoutMs, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (!SettleCursorAt(at.x, at.y))
            continue;
        ClickAt(at.x, at.y);
        if (PumpUntil(effect, timeoutMs))
            return true;
    }
    return false;
}

bool DragFromTo(POINT from, POINT to, int steps)
{
    if (!SettleCursorAt(from.x, from.y))
        return false;
    INPUT press = {};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof(press));
    bool settled = true;
    for (int step = 1; step <= steps; ++step) {
        const int x = from.x + MulDiv(to.x - from.x, step, steps);
        const int y = from.y + MulDiv(to.y - from.y, step, steps);
        settled = SettleCursorAt(x, y) && settled;
    }
    INPUT release = press;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof(release));
    return settled;
}

bool HoverUntil(POINT at, const std::function<bool()>& effect, DWORD timeoutMs, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            SettleCursorAt(at.x + (attempt % 2 ? 1 : -1), at.y);
        if (!SettleCursorAt(at.x, at.y))
            continue;
        if (PumpUntil(effect, timeoutMs))
            return true;
    }
    return false;
}

TimerScript::TimerScript(std::function<bool()> s, UINT intervalMs) : step(std::move(s))
{
    timer = SetTimer(nullptr, 0, intervalMs, &TimerScript::Tick);
    Scripts()[timer] = this;
}

TimerScript::~TimerScript()
{
    if (timer)
        KillTimer(nullptr, timer);
    Scripts().erase(timer);
}

void CALLBACK TimerScript::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = Scripts().find(id);
    if (it == Scripts().end())
        return;
    TimerScript* self = it->second;
    if (self->done)
        return;
    if (self->step()) {
        self->done = true;
        KillTimer(nullptr, self->timer);
    }
}

TimerScript AnswerCloseDialog(int clientX, int clientY, std::function<void(HWND dialog)> seen)
{
    return TimerScript([clientX, clientY, seen] {
        const HWND dialog = FindWindowW(L"velmorkastel", nullptr);
        if (!dialog || !IsWindowVisible(dialog))
            return false;
        if (seen)
            seen(dialog);
        RECT r = {0, 0, 0, 0};
        GetWindowRect(dialog, &r);
        ClickAt(r.left + clientX, r.top + clientY);
        return true;
    });
}
