#include "uninstall/InstallGuard.h"

#include "ui/ScopedHandles.h"
#include "uninstall/UninstallNames.h"
#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cwctype>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    const std::wstring::size_type length = std::wcslen(prefix);
    return text.size() >= length &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(length), prefix, static_cast<int>(length), TRUE) ==
               CSTR_EQUAL;
}

std::wstring WithoutTrailingBackslashes(std::wstring path)
{
    while (path.size() > 1 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// "\\?\C:\x" -> "C:\x", "\\?\UNC\srv\share" -> "\\srv\share".
std::wstring WithoutLongPrefix(const std::wstring& path)
{
    if (StartsWithNoCase(path, L"\\\\?\\UNC\\"))
        return L"\\\\" + path.substr(8);
    if (StartsWithNoCase(path, L"\\\\?\\"))
        return path.substr(4);
    return path;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path)
        result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring EnvironmentFolder(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    return value;
}

bool HoldsClientProgram(const std::wstring& dir)
{
    const DWORD attributes = GetFileAttributesW((dir + L"\\" + ClientProgramName).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder on which another volume is mounted is a root as well.
bool IsVolumeRoot(const std::wstring& dir)
{
    wchar_t volume[MAX_PATH] = {};
    if (!GetVolumePathNameW((dir + L"\\").c_str(), volume, MAX_PATH))
        return false;
    return CompareStringOrdinal(WithoutTrailingBackslashes(volume).c_str(), -1,
                                WithoutTrailingBackslashes(dir).c_str(), -1, TRUE) == CSTR_EQUAL;
}

} // namespace

bool IsDriveOrShareRoot(const std::wstring& dir)
{
    std::wstring path = WithoutLongPrefix(dir);
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    if (path.size() == 2 && path[1] == L':' && std::iswalpha(path[0]))
        return true;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        // \\server or \\server\share, nothing below.
        const std::wstring rest = path.substr(2);
        const std::wstring::size_type slash = rest.find(L'\\');
        return slash == std::wstring::npos || rest.find(L'\\', slash + 1) == std::wstring::npos;
    }
    return path.empty() && !dir.empty();
}

std::wstring CanonicalPath(const std::wstring& path)
{
    const ScopedHandle handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle && handle.get() != INVALID_HANDLE_VALUE) {
        wchar_t finalPath[1024] = {};
        const DWORD length =
            GetFinalPathNameByHandleW(handle.get(), finalPath, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length > 0 && length < 1024)
            return WithoutTrailingBackslashes(WithoutLongPrefix(finalPath));
    }
    return WithoutTrailingBackslashes(WithoutLongPrefix(path));
}

bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer)
{
    const std::wstring in = CanonicalPath(inner);
    const std::wstring out = CanonicalPath(outer);
    if (in.empty() || out.empty() || in.size() < out.size())
        return false;
    if (CompareStringOrdinal(in.c_str(), static_cast<int>(out.size()), out.c_str(), static_cast<int>(out.size()),
                             TRUE) != CSTR_EQUAL)
        return false;
    return in.size() == out.size() || in[out.size()] == L'\\' || out.back() == L'\\';
}

std::vector<std::wstring> ProtectedFolders()
{
    static const int csidls[] = {
        CSIDL_WINDOWS,         CSIDL_SYSTEM,           CSIDL_SYSTEMX86,
        CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86,                 CSIDL_PROFILE,
        CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PERSONAL,        CSIDL_COMMON_DOCUMENTS, CSIDL_STARTMENU,
        CSIDL_COMMON_STARTMENU, CSIDL_PROGRAMS,        CSIDL_COMMON_PROGRAMS,
        CSIDL_APPDATA,         CSIDL_LOCAL_APPDATA,    CSIDL_COMMON_APPDATA,
    };
    std::vector<std::wstring> folders;
    for (int csidl : csidls)
        folders.push_back(SpecialFolder(csidl));
    folders.push_back(KnownFolder(FOLDERID_Downloads));
    // A 32-bit process sees the (x86) folder as "Program Files"; the
    // 64-bit root comes from the environment.
    folders.push_back(EnvironmentFolder(L"ProgramW6432"));
    folders.push_back(EnvironmentFolder(L"CommonProgramW6432"));

    std::vector<std::wstring> known;
    for (const std::wstring& folder : folders) {
        if (!folder.empty())
            known.push_back(folder);
    }
    return known;
}

bool IsOwnInstallation(const std::wstring& dir)
{
    if (dir.empty() || IsDriveOrShareRoot(dir))
        return false;
    const std::wstring canonical = CanonicalPath(dir);
    if (IsDriveOrShareRoot(canonical) || IsVolumeRoot(dir))
        return false;
    for (const std::wstring& folder : ProtectedFolders()) {
        if (IsSameOrInside(folder, dir))
            return false;
    }
    return HoldsClientProgram(dir);
}
