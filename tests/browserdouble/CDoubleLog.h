#pragma once

#include <windows.h>

#include <string>

// The double's call log: one line per call or event, "#<n> <Name> key=value ...",
// where n numbers the control objects of the process. Each line is appended
// and the file closed again at once, so a test reads it while the control runs.
// The file is the Windows path in LUMARION_DOUBLE_LOG, else
// %TEMP%\scripted-browser.log; it is chosen when the control is created.
class CDoubleLog {
public:
    CDoubleLog();

    void Write(const std::wstring& text) const;
    const std::wstring& Path() const { return path; }

    static std::wstring Rect(const RECT& rect);
    static std::wstring Hex(unsigned long value);

private:
    std::wstring path;
    long instance;
};
