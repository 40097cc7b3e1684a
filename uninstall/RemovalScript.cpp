#include "uninstall/RemovalScript.h"

#include "base/ScopedHandles.h"
#include "uninstall/LinkSafety.h"
#include "uninstall/UninstallNames.h"

#include <windows.h>

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

std::wstring AsciiWide(const std::string& text)
{
    std::wstring wide;
    for (char c : text)
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

std::string AsciiNarrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow.push_back(static_cast<char>(c));
    return narrow;
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
    const std::string uninstaller = AsciiNarrow(UninstallProgramName);
    const std::string self = AsciiNarrow(ScriptFileName);
    // Deletes one entry by name, never a folder's contents: DEL given a
    // folder would empty it, and /A:-D-L passes over folders and links.
    const auto deleteLine = [](const std::string& name) {
        return "if not exist \"%target%\\" + name + "\\*\" del /f /q /a:-d-l \"%target%\\" + name +
               "\" >nul 2>nul\r\n";
    };
    std::string text = "@echo off\r\n";
    // Set once inside quotes: the name's "&", "(" and ")" stay plain.
    text += "set \"target=" + DoublePercent(dir) + "\"\r\n";
    // The uninstaller holds its own file until it has ended: deleting that
    // file is the wait, bounded. "ping -n 2" pauses about a second on
    // Windows and under Wine, whose choice /t does not wait.
    text += "set /a tries=0\r\n:wait\r\n";
    text += deleteLine(uninstaller);
    text += "if not exist \"%target%\\" + uninstaller + "\" goto gone\r\n";
    text += "set /a tries+=1\r\n";
    text += "if %tries% geq " + std::to_string(ScriptWaitTries) + " goto gone\r\n";
    text += "ping -n 2 127.0.0.1 >nul\r\ngoto wait\r\n:gone\r\n";
    for (const wchar_t* name : OwnEntries) {
        const std::string own = AsciiNarrow(name);
        if (own != uninstaller && own != self)
            text += deleteLine(own);
    }
    // One line: the interpreter cannot read on once its script is gone. A
    // plain RD fails, harmlessly, when anything else is in the folder.
    text += "del /f /q /a:-d-l \"%target%\\" + self + "\" >nul 2>nul & rd \"%target%\" >nul 2>nul\r\n";
    // The terminator has to fit as well.
    if (text.size() >= ScriptTextCapacity)
        return std::string();
    return text;
}

std::string ScriptDirectoryForm(const std::wstring& dir)
{
    // The interpreter cannot work in a share folder; a "\\?\" name does not
    // fit the script's own prefix.
    if (dir.size() >= 2 && dir[0] == L'\\' && dir[1] == L'\\')
        return std::string();
    std::string form = ExactAnsi(dir);
    // The interpreter reads a script in the OEM code page, where the ANSI
    // bytes of other characters mean something else: only an ASCII name
    // reads the same in both, so a name without one gets no script.
    if (form.empty() || !IsAscii(form))
        form = ShortAnsiForm(dir);
    if (form.empty() || !IsAscii(form))
        return std::string();
    // The command line that starts the script expands %NAME% whatever the
    // quoting.
    if (form.find('%') != std::string::npos)
        return std::string();
    return form;
}

std::wstring ScriptCommandLine(const std::wstring& interpreter, const std::wstring& script)
{
    // /d: no AutoRun commands; /v:off: "!" is a plain character; /s with
    // the doubled quotes: the interpreter strips the outer pair and keeps
    // the name quoted, so "&", "(" and ")" in it are plain characters too.
    return L"\"" + interpreter + L"\" /s /d /v:off /c \"\"" + script + L"\"\"";
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

bool WriteRemovalScript(const std::string& dir, const DirectoryIdentity& examined)
{
    // Only ASCII names are written (see ScriptDirectoryForm); they read the
    // same in every code page and widen as they stand.
    if (dir.empty() || !IsAscii(dir))
        return false;
    const std::string file = dir + "\\" + AsciiNarrow(ScriptFileName);
    if (file.size() >= ScriptNameCapacity)
        return false;
    const std::string text = ComposeRemovalScript(dir);
    if (text.empty())
        return false;

    // The form written must open the examined directory itself (a short
    // name can name a sibling, a swapped folder can be a link); held open
    // until the interpreter runs, so it cannot be swapped meanwhile.
    const std::wstring wideDir = AsciiWide(dir);
    const ScopedHandle held = OpenRealDirectory(wideDir);
    DirectoryIdentity current;
    if (!held || !IdentifyOpenDirectory(held.get(), &current) || !SameDirectory(current, examined))
        return false;

    {
        // A new file only: whatever stands at that name (an old script, a
        // link) is not written through.
        ScopedHandle script(CreateFileA(file.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!script || script.get() == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        const BOOL wrote = WriteFile(script.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        // Checked again by name, as the interpreter will find it.
        DirectoryIdentity again;
        const bool same = IdentifyDirectory(wideDir, &again) && SameDirectory(again, examined);
        if (!wrote || written != text.size() || !same) {
            // Half a script, or one in the wrong place, must not run later.
            FILE_DISPOSITION_INFO disposition = {};
            disposition.DeleteFile = TRUE;
            SetFileInformationByHandle(script.get(), FileDispositionInfo, &disposition, sizeof(disposition));
            return false;
        }
        if (!CloseHandle(script.release()))
            return false;
    }

    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    // The interpreter itself, never the .bat association: a user's class
    // override must not decide what runs elevated.
    const std::wstring interpreter = std::wstring(windows) + L"\\System32\\cmd.exe";
    std::wstring commandLine = ScriptCommandLine(interpreter, AsciiWide(file));
    // Started from the parent, so the interpreter does not hold the folder
    // it has to remove.
    const std::string parent = ParentDirectory(dir);
    const std::wstring workingDirectory = AsciiWide(parent);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(interpreter.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
