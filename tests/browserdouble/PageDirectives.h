#pragma once

#include <string>
#include <vector>

// What a fetched page asks the double to do, written as HTML comments:
//   <!-- double: navigate URL [DELAY_MS] -->   go to URL (relative to the page) after the delay
//   <!-- double: newwindow URL [DELAY_MS] -->  ask the host for a new window showing URL
//   <!-- double: flash -->                     put a "MacromediaFlashPlayerActiveX" window in the page
//   <!-- double: modal MS -->                  run a modal loop (a message box) for MS ms, as alert() does
//   <!-- double: busy MS -->                   take no messages for MS ms, as a long script does
// Verbs are case-insensitive; a missing delay is 0.
struct PageDirective {
    enum Kind { Navigate, NewWindow, Flash, Modal, Busy, Unknown };
    Kind kind = Unknown;
    std::wstring url;
    unsigned delayMs = 0;
    unsigned durationMs = 0; // modal, busy
    std::wstring text; // the directive as written, for the log
};

std::vector<PageDirective> ParsePageDirectives(const std::wstring& html);
// Text of the first <title> element, or empty.
std::wstring PageTitle(const std::wstring& html);
// What lies between <body ...> and </body>; the whole text when there is no body tag.
std::wstring PageBody(const std::wstring& html);
// Bytes of a page as text: UTF-8 unless it is not valid UTF-8, then the ANSI code page.
std::wstring PageText(const std::string& bytes);
