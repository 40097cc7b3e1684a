#pragma once

#include <windows.h>

// The client's private messages and command codes, all of them: what its
// windows and threads post to each other. The numbers are fixed: other code
// (and tests) rely on them.

// Posted to the game window; wParam carries one of the commands below.
constexpr UINT FrameCommandMessage = 2277;
constexpr WPARAM EnterGameCommand = 1001;
constexpr WPARAM CloseCommand = 5557;
constexpr WPARAM ToggleFullScreenCommand = 5563;
constexpr WPARAM LeaveFullScreenCommand = 5564;

// Notification-area icon callback; wParam = icon id, lParam = mouse message.
constexpr UINT TrayNotifyMessage = 5556;

// Thread message to the browser thread: serve one queued request.
constexpr UINT HtmlRequestMessage = 8913;

// Posted by the browser window to its parent once it exists; wParam = its
// handle, the only copy other threads use.
constexpr UINT BrowserWindowMessage = WM_APP + 0x2D1;

// Posted to the game window by the browser thread: game addresses were seen,
// or pages asked for new windows; the addresses wait in the game window's
// inbox.
constexpr UINT GameAddressMessage = WM_APP + 0x2D2;
constexpr UINT OpenAddressMessage = WM_APP + 0x2D3;

// Posted to the game window by the browser thread: the page's own
// navigation failed, or a navigation completed; the addresses wait in the
// game window's inbox.
constexpr UINT NavigateFailedMessage = WM_APP + 0x2D4;
constexpr UINT PageLoadedMessage = WM_APP + 0x2D5;

// Posted to a running client's game window by a second start of the client:
// come to the front, out of the tray or the taskbar.
constexpr UINT ShowClientMessage = WM_APP + 0x2D6;
