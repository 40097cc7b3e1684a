#include "ui/CWindowCtrl.h"

#include "ui/CWindowThread.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

namespace {

std::vector<std::wstring>& ClassList()
{
    static std::vector<std::wstring> names;
    return names;
}

// Copies a class name into the fixed field; longer names are refused
// rather than cut, since a cut name would register a different class.
bool StoreClassName(wchar_t (&field)[64], const wchar_t* name)
{
    const size_t length = wcsnlen(name, 64);
    if (length >= 64)
        return false;
    wmemcpy(field, name, length);
    field[length] = L'\0';
    return true;
}

// Only window objects register, so the registry's entries are ours.
CWindowCtrl* FindLinked(const CWindowThread& manager, HWND hwnd)
{
    return static_cast<CWindowCtrl*>(manager.FindWindowObject(hwnd));
}

void Unlink(CWindowThread& manager, HWND hwnd)
{
    auto& list = manager.windows;
    auto it = std::find_if(list.begin(), list.end(),
                           [hwnd](const ThreadWindow* w) { return w->WindowHandle() == hwnd; });
    if (it == list.end())
        return;
    static_cast<CWindowCtrl*>(*it)->hwnd = nullptr;
    list.erase(it);
}

} // namespace

CWindowCtrl::CWindowCtrl()
{
    StoreClassName(className, L"ImageWnd");
}

CWindowCtrl::~CWindowCtrl()
{
    const HWND window = hwnd;
    if (manager && window)
        Unlink(*manager, window);
    // Never destroy synchronously here: the window may belong to another
    // thread or be in the middle of a message.
    if (window && IsWindow(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
}

HWND CWindowCtrl::Create(DWORD exStyle, const wchar_t* name, const wchar_t* windowName,
                         DWORD style, const RECT& rect, HWND parent)
{
    return Create(exStyle, name, windowName, style, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, parent);
}

HWND CWindowCtrl::Create(DWORD exStyle, const wchar_t* name, const wchar_t* windowName,
                         DWORD style, int x, int y, int width, int height, HWND parent)
{
    CWindowThread* owner = FindManager(GetCurrentThreadId());
    if (!owner)
        return nullptr;
    if (hwnd && IsWindow(hwnd))
        return hwnd;
    if (name && name[0])
        SetWindowClassName(name);
    if (!RegisterWindowClass(className))
        return hwnd;
    manager = owner;
    hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                           nullptr, g_instance, this);
    return hwnd;
}

int CWindowCtrl::DoModal(const wchar_t* templateName, HWND parent)
{
    CWindowThread* owner = FindManager(GetCurrentThreadId());
    if (!owner)
        return 0;
    if (!(hwnd && IsWindow(hwnd)) && RegisterWindowClass(className)) {
        manager = owner;
        modalResult = static_cast<int>(DialogBoxParamW(
            GetModuleHandleW(nullptr), templateName, parent,
            reinterpret_cast<DLGPROC>(&CWindowCtrl::StaticWindowProc), 0));
    }
    return modalResult;
}

void CWindowCtrl::SetWindowClassName(const wchar_t* name)
{
    if (name)
        StoreClassName(className, name);
}

int CWindowCtrl::PreTranslateMessage(MSG*) { return 0; }
HWND CWindowCtrl::WindowHandle() const { return hwnd; }
LRESULT CWindowCtrl::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }
void CWindowCtrl::OnCreate(CREATESTRUCTW*) {}
void CWindowCtrl::OnDestroy() {}
void CWindowCtrl::OnMove(int, int) {}
void CWindowCtrl::OnSize(UINT, int, int) {}
void CWindowCtrl::OnWindowPosChanging(WINDOWPOS*) {}
LRESULT CWindowCtrl::OnNcHitTest(POINT) { return HTCLIENT; }
void CWindowCtrl::OnGetMinMaxInfo(MINMAXINFO*) {}
void CWindowCtrl::OnShowWindow(BOOL, UINT) {}
void CWindowCtrl::OnTimer(UINT_PTR) {}

void CWindowCtrl::OnSetCursor(HWND)
{
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

LRESULT CWindowCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(hwnd, message, wParam, lParam);
}

LRESULT CWindowCtrl::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT handled = HandleMessage(message, wParam, lParam);
    if (handled)
        return handled;

    switch (message) {
    case WM_CREATE:
        OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
        break;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_MOVE:
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        break;
    case WM_SETCURSOR:
        OnSetCursor(reinterpret_cast<HWND>(wParam));
        break;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        break;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_NCHITTEST:
        return OnNcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_TIMER:
        OnTimer(wParam);
        return 1;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowCtrl::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    CWindowThread* owner = SingleManager();
    if (!owner)
        owner = FindManager(GetCurrentThreadId());
    if (!owner)
        return DefWindowProcW(hwnd, message, wParam, lParam);

    CWindowCtrl* object = FindLinked(*owner, hwnd);

    if (message == WM_NCCREATE && !object) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        object = create ? static_cast<CWindowCtrl*>(create->lpCreateParams) : nullptr;
        if (object) {
            object->hwnd = hwnd;
            object->manager = owner;
            owner->AddWindow(hwnd, object);
        }
    } else if (message == WM_NCDESTROY && object) {
        Unlink(*owner, hwnd);
    }

    if (object)
        return object->Dispatch(hwnd, message, wParam, lParam);

    owner->FallbackHandler(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool CWindowCtrl::RegisterWindowClass(const wchar_t* name)
{
    if (!name || !name[0])
        return false;
    {
        std::lock_guard<std::mutex> guard(RegistryMutex());
        for (const auto& known : ClassList()) {
            if (known == name)
                return true;
        }
    }

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = &CWindowCtrl::StaticWindowProc;
    wc.hInstance = g_instance;
    wc.lpszClassName = name;
    // The lock is released here: two threads registering one new name both
    // succeed, the second through ERROR_CLASS_ALREADY_EXISTS.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    std::lock_guard<std::mutex> guard(RegistryMutex());
    auto& list = ClassList();
    if (std::find(list.begin(), list.end(), name) == list.end())
        list.emplace_back(name);
    return true;
}

std::vector<std::wstring> CWindowCtrl::RegisteredClassNames()
{
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return ClassList();
}

bool CWindowCtrl::PreTranslate(CWindowThread& owner, MSG& msg)
{
    return owner.PreTranslate(msg);
}

void CWindowCtrl::OfferMessage(CWindowThread& owner, MSG& msg)
{
    owner.OfferMessage(msg);
}
