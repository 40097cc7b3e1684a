#pragma once

#include <windows.h>

#include <winioctl.h>

#include <cstring>
#include <string>
#include <utility>

// Directory links (junctions, or Unix links under Wine) for tests of code
// that must not follow them.

// Makes the new directory `link` a junction (mount point) to `target`.
inline bool CreateJunction(const std::wstring& link, const std::wstring& target)
{
    if (!CreateDirectoryW(link.c_str(), nullptr))
        return false;
    // The layout of a mount-point reparse buffer.
    struct MountPointBuffer {
        DWORD reparseTag;
        WORD reparseDataLength;
        WORD reserved;
        WORD substituteNameOffset;
        WORD substituteNameLength;
        WORD printNameOffset;
        WORD printNameLength;
        WCHAR pathBuffer[1024];
    } buffer = {};
    const std::wstring substitute = L"\\??\\" + target;
    if (substitute.size() + target.size() + 2 > 1024)
        return false;
    const WORD substituteBytes = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    const WORD printBytes = static_cast<WORD>(target.size() * sizeof(WCHAR));
    std::memcpy(buffer.pathBuffer, substitute.c_str(), substituteBytes);
    std::memcpy(buffer.pathBuffer + substitute.size() + 1, target.c_str(), printBytes);
    buffer.reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer.substituteNameOffset = 0;
    buffer.substituteNameLength = substituteBytes;
    buffer.printNameOffset = static_cast<WORD>(substituteBytes + sizeof(WCHAR));
    buffer.printNameLength = printBytes;
    buffer.reparseDataLength = static_cast<WORD>(4 * sizeof(WORD) + substituteBytes + printBytes + 2 * sizeof(WCHAR));

    HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(link.c_str());
        return false;
    }
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &buffer,
                                    8 + buffer.reparseDataLength, nullptr, 0, &returned, nullptr);
    CloseHandle(handle);
    if (!ok)
        RemoveDirectoryW(link.c_str());
    return ok != FALSE;
}

// Unix name of a Windows path under Wine; empty elsewhere.
inline std::string UnixName(const std::wstring& path)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    char* name = toUnix(path.c_str());
    if (!name)
        return std::string();
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// True when `path` is itself a reparse point (not what it points at).
inline bool IsReparsePoint(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

inline bool PathExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool RunningUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Runs a Unix program under Wine with the given arguments (no waiting:
// Wine cannot wait for it).
inline bool RunUnix(const wchar_t* program, const std::wstring& arguments)
{
    std::wstring commandLine = std::wstring(program) + L" " + arguments;
    std::wstring windowsName = L"Z:" + std::wstring(program);
    for (wchar_t& c : windowsName)
        c = c == L'/' ? L'\\' : c;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(windowsName.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

inline std::wstring QuotedUnixName(const std::wstring& path)
{
    const std::string name = UnixName(path);
    return L"\"" + std::wstring(name.begin(), name.end()) + L"\"";
}

// A junction where the system makes one; under Wine, which has none, a
// Unix symbolic link (Wine shows it as a directory reparse point), made
// by running ln.
inline bool CreateDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    if (CreateJunction(link, target))
        return IsReparsePoint(link);
    if (UnixName(link).empty() || UnixName(target).empty())
        return false;
    if (!RunUnix(L"/bin/ln", L"-s " + QuotedUnixName(target) + L" " + QuotedUnixName(link)))
        return false;
    // Wine cannot wait for a Unix process; watch for the link instead.
    for (int i = 0; i < 100 && !IsReparsePoint(link); ++i)
        Sleep(50);
    return IsReparsePoint(link);
}

// A symbolic link to the file `target`: the system's where it lets this
// process make one; under Wine a Unix link made by ln, which Wine does not
// mark as a reparse point and follows when the link is deleted.
inline bool CreateFileLink(const std::wstring& link, const std::wstring& target)
{
    if (!RunningUnderWine())
        return CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) != FALSE;
    if (UnixName(link).empty() || UnixName(target).empty())
        return false;
    if (!RunUnix(L"/bin/ln", L"-s " + QuotedUnixName(target) + L" " + QuotedUnixName(link)))
        return false;
    for (int i = 0; i < 100 && !PathExists(link); ++i)
        Sleep(50);
    return PathExists(link);
}

// Removes a link (never its target) when the scope ends, so a failing test
// cannot leave one for a recursive cleanup to follow. Wine cannot remove a
// Unix link to a directory itself (it calls it a non-empty directory); rm can.
class LinkRemover {
public:
    explicit LinkRemover(std::wstring path) : path(std::move(path)) {}
    ~LinkRemover()
    {
        if (!IsReparsePoint(path))
            return;
        RemoveDirectoryW(path.c_str());
        if (IsReparsePoint(path) && RunningUnderWine() && RunUnix(L"/bin/rm", L"-f " + QuotedUnixName(path))) {
            for (int i = 0; i < 100 && IsReparsePoint(path); ++i)
                Sleep(50);
        }
    }
    LinkRemover(const LinkRemover&) = delete;
    LinkRemover& operator=(const LinkRemover&) = delete;

private:
    std::wstring path;
};

// Removes a file link made by CreateFileLink, never its target, when the
// scope ends: under Wine only rm can, as Windows calls would follow it.
class FileLinkRemover {
public:
    explicit FileLinkRemover(std::wstring path) : path(std::move(path)) {}
    ~FileLinkRemover()
    {
        if (!RunningUnderWine()) {
            DeleteFileW(path.c_str());
            return;
        }
        if (PathExists(path) && RunUnix(L"/bin/rm", L"-f " + QuotedUnixName(path))) {
            for (int i = 0; i < 100 && PathExists(path); ++i)
                Sleep(50);
        }
    }
    FileLinkRemover(const FileLinkRemover&) = delete;
    FileLinkRemover& operator=(const FileLinkRemover&) = delete;

private:
    std::wstring path;
};
