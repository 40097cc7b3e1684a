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

// Windows path of a Unix path (Wine maps Z: to /); other paths unchanged.
std::wstring WindowsPathOf(const std::wstring& path);

// Windows path of a file in the test run's environment folder
// (LUMARION_TEST_ENV); empty when not run by the test harness.
std::wstring TestEnvFile(const wchar_t* name);

// The whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
