#pragma once

#include <windows.h>

// Private messages and command codes exchanged between the client's windows
// and threads. The numbers are fixed: other code (and tests) rely on them.

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
