#pragma once

#include <windows.h>

#include <string>

class CMyHtml;

// What the main thread asks of the browser thread: the one way in.
enum HtmlRequestCommand {
    CreateWindowRequest = 1001,
    NavigateRequest = 1003,
    RefreshRequest = 1004,
    SilentRequest = 1005,
    // Lay the control out over the window again.
    LayoutRequest = 1006,
    // The game window entered its game view.
    GameViewRequest = 1007,
    // Show (value 1) or hide (value 0) the browser window.
    VisibilityRequest = 1008,
};

// One queued request, copied into the queue. A navigate request carries its
// own copy of the address, so two requests never share (or cut) one.
struct HtmlRequest {
    HWND window = nullptr;   // create: the parent; others: the browser window then
    int command = 0;
    int width = 0;           // create
    std::wstring url;        // navigate
    int value = 0;           // silent, visibility
    CMyHtml* target = nullptr;
    int height = 0;          // create
    int flags = 0;           // navigate
    int x = 0;               // create
    int y = 0;               // create
    int requeued = 0;        // times put back because the control was not there yet
};
