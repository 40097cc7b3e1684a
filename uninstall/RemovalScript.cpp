#include "uninstall/RemovalScript.h"

#include "ui/ScopedHandles.h"
#include "uninstall/UninstallNames.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

namespace {

// The command interpreter expands %NAME% inside a script.
std::string DoublePercent(const std::string& text)
{
    std::string doubled;
    doubled.reserve(text.size());
    for (char c : text) {
        doubled.push_back(c);
        if (c == '%')
            doubled.push_back('%');
    }
    return doubled;
}

// `text` in the ANSI code page when that form converts back to exactly
// `text`; empty otherwise (best-fit mappings turn 'ā' into 'a', naming
// another directory).
std::string ExactAnsi(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int wideLength = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text.c_str(), wideLength, &ansi[0], size, nullptr, nullptr) != size)
        return std::string();
    const int back = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.c_str(), size, nullptr, 0);
    if (back != wideLength)
        return std::string();
    std::wstring roundTrip(static_cast<size_t>(back), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.c_str(), size, &roundTrip[0], back);
    if (roundTrip != text || ansi.find('\0') != std::string::npos)
        return std::string();
    return ansi;
}

bool IsAscii(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) > 0x7F)
            return false;
    }
    return true;
}

// The exact ANSI form of the directory's 8.3 short name; empty when there
// is none.
std::string ShortAnsiForm(const std::wstring& dir)
{
    if (dir.empty())
        return std::string();
    const DWORD size = GetShortPathNameW(dir.c_str(), nullptr, 0);
    if (size == 0)
        return std::string();
    std::vector<wchar_t> shortName(size);
    const DWORD length = GetShortPathNameW(dir.c_str(), shortName.data(), size);
    if (length == 0 || length >= size)
        return std::string();
    return ExactAnsi(std::wstring(shortName.data(), length));
}

} // namespace

std::string ComposeRemovalScript(const std::string& dir)
{
    const std::string name = DoublePercent(dir);
    std::string text;
    text += "@echo off\r\nchoice / t 3 / d y / n > nul\r\n";
    text += "@echo off\r\n";
    text += "DEL /F /A /Q \\\\?\\\"";
    text += name;
    text += "\"\r\n";
    text += "RD /S /Q \\\\?\\\"";
    text += name;
    text += "\"";
    // The terminator has to fit as well.
    if (text.size() >= ScriptTextCapacity)
        return std::string();
    return text;
}

std::string ScriptDirectoryForm(const std::wstring& dir)
{
    const std::string exact = ExactAnsi(dir);
    if (!exact.empty() && IsAscii(exact))
        return exact;
    // The interpreter reads a script in the OEM code page, where the ANSI
    // bytes of other characters mean something else: an ASCII short name
    // reads the same in both.
    const std::string shortForm = ShortAnsiForm(dir);
    if (!shortForm.empty() && (IsAscii(shortForm) || exact.empty()))
        return shortForm;
    return exact;
}

std::string ParentDirectory(const std::string& dir)
{
    const std::string::size_type slash = dir.rfind('\\');
    if (slash == std::string::npos || slash == 0)
        return std::string();
    std::string parent = dir.substr(0, slash);
    if (parent.size() == 2 && parent[1] == ':')
        parent.push_back('\\');
    return parent;
}

bool WriteRemovalScript(const std::string& dir)
{
    if (dir.empty())
        return false;
    const std::string file = dir + "\\" + ScriptFileName;
    if (file.size() >= ScriptNameCapacity)
        return false;
    const std::string text = ComposeRemovalScript(dir);
    if (text.empty())
        return false;

    {
        // An old script that cannot be replaced (read-only, locked) makes
        // this fail, and then nothing is started.
        ScopedHandle script(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!script || script.get() == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const BOOL wrote = WriteFile(script.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        const BOOL closed = CloseHandle(script.release());
        if (!wrote || written != text.size() || !closed) {
            // Half a script must not be run later either.
            DeleteFileA(file.c_str());
            return false;
        }
    }

    // Started from the parent, so the interpreter does not hold the folder
    // it has to remove.
    const std::string parent = ParentDirectory(dir);
    const HINSTANCE started = ShellExecuteA(nullptr, "open", file.c_str(), nullptr,
                                            parent.empty() ? nullptr : parent.c_str(), SW_HIDE);
    return reinterpret_cast<INT_PTR>(started) > 32;
}
