#pragma once

#include <windows.h>

#include <string>

// A fresh empty directory under the temp folder, removed with its files.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return dir; }
    std::wstring File(const wchar_t* name) const { return dir + L"\\" + name; }
    // Writes UTF-8 text as it stands.
    void Write(const wchar_t* name, const std::string& text) const;

private:
    std::wstring dir;
};
