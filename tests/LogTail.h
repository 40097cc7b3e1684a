#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The lines another process appends to a text file (the test site's request
// log, the default-browser probe's log), counted from where the tail was
// made: what earlier tests left in the file does not show.
class LogTail {
public:
    explicit LogTail(std::wstring path);

    // Complete lines appended since construction, without line ends.
    std::vector<std::string> Lines() const;
    // How many of them equal `line`.
    size_t Count(const std::string& line) const;
    // Whether one of them contains `text`.
    bool Contains(const std::string& text) const;

    const std::wstring& path() const { return file; }

private:
    std::wstring file;
    size_t start = 0;
};
