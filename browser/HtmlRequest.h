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
    // Move the browser window to the rectangle carried (x, y, width,
    // height in the parent's client area) and lay the control out over it;
    // an empty one only lays the control out again.
    LayoutRequest = 1006,
    // The game window entered its game view.
    GameViewRequest = 1007,
    // Show (value 1) or hide (value 0) the browser window.
    VisibilityRequest = 1008,
    // Give the browser window the keyboard focus.
    FocusRequest = 1009,
    // Destroy the browser window and leave the loop: the client is closing.
    ShutdownRequest = 1010,
    // Zoom the page to `value` percent, this page and the next ones.
    ZoomRequest = 1011,
};

// One queued request, copied into the queue. A navigate request carries its
// own copy of the address, so two requests never share (or cut) one.
struct HtmlRequest {
    HWND window = nullptr;   // create: the parent; others: the browser window then
    int command = 0;
    int width = 0;           // create, layout
    std::wstring url;        // navigate
    int value = 0;           // silent, visibility, zoom
    CMyHtml* target = nullptr;
    int height = 0;          // create, layout
    int flags = 0;           // navigate
    int x = 0;               // create, layout
    int y = 0;               // create, layout
    int requeued = 0;        // times put back because the control was not there yet
};
