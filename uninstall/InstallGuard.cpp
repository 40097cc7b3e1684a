#include "uninstall/InstallGuard.h"

#include "base/ScopedHandles.h"
#include "uninstall/DeleteTree.h"
#include "uninstall/UninstallNames.h"
#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <cwchar>
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

// Without verification: a folder that does not exist yet still has its
// place, and a failed lookup must be told apart from a missing folder.
std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
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

bool IsOwnEntryName(const wchar_t* name)
{
    for (const wchar_t* own : OwnEntries) {
        if (CompareStringOrdinal(name, -1, own, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
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

bool IsRootOrUnknown(const std::wstring& dir)
{
    return dir.empty() || IsDriveOrShareRoot(dir) || IsDriveOrShareRoot(CanonicalPath(dir)) || IsVolumeRoot(dir);
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
    static const KNOWNFOLDERID* const required[] = {
        &FOLDERID_Windows,          &FOLDERID_System,          &FOLDERID_SystemX86,
        &FOLDERID_ProgramFiles,     &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramFilesCommon,
        &FOLDERID_ProgramFilesCommonX86,                       &FOLDERID_UserProfiles,
        &FOLDERID_Profile,          &FOLDERID_Desktop,         &FOLDERID_Documents,
        &FOLDERID_Downloads,        &FOLDERID_Music,           &FOLDERID_Pictures,
        &FOLDERID_Videos,           &FOLDERID_Favorites,       &FOLDERID_SavedGames,
        &FOLDERID_StartMenu,        &FOLDERID_Programs,        &FOLDERID_RoamingAppData,
        &FOLDERID_LocalAppData,     &FOLDERID_Public,          &FOLDERID_PublicDesktop,
        &FOLDERID_PublicDocuments,  &FOLDERID_PublicDownloads, &FOLDERID_PublicMusic,
        &FOLDERID_PublicPictures,   &FOLDERID_PublicVideos,    &FOLDERID_CommonStartMenu,
        &FOLDERID_CommonPrograms,   &FOLDERID_ProgramData,
    };
    // A failed lookup stays in the list as an empty entry: the guard then
    // refuses, it never lets a folder through unchecked.
    std::vector<std::wstring> folders;
    for (const KNOWNFOLDERID* id : required)
        folders.push_back(KnownFolder(*id));

    // These exist only on some systems: a 32-bit process sees the (x86)
    // folder as "Program Files" and learns the 64-bit root from the
    // environment; OneDrive only where it was set up.
    const std::wstring optional[] = {
        EnvironmentFolder(L"ProgramW6432"), EnvironmentFolder(L"CommonProgramW6432"),
        KnownFolder(FOLDERID_SkyDrive),     EnvironmentFolder(L"OneDrive"),
        EnvironmentFolder(L"OneDriveConsumer"), EnvironmentFolder(L"OneDriveCommercial"),
    };
    for (const std::wstring& folder : optional) {
        if (!folder.empty())
            folders.push_back(folder);
    }
    return folders;
}

bool PassesGuard(const std::wstring& dir, const std::vector<std::wstring>& protectedFolders)
{
    if (IsRootOrUnknown(dir))
        return false;
    for (const std::wstring& folder : protectedFolders) {
        if (folder.empty() || IsSameOrInside(folder, dir))
            return false;
    }
    return true;
}

bool HoldsOnlyOwnEntries(const std::wstring& dir)
{
    WIN32_FIND_DATAW entry = {};
    const ScopedFind search = MakeScopedFind(FindFirstFileW((LongPath(dir) + L"\\*").c_str(), &entry));
    if (!search)
        return false;
    do {
        if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0)
            continue;
        // A folder is never ours, whatever its name.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsOwnEntryName(entry.cFileName))
            return false;
    } while (FindNextFileW(search.get(), &entry));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

FolderRemoval ChooseFolderRemoval(const std::wstring& dir)
{
    if (IsRootOrUnknown(dir) || !HoldsClientProgram(dir))
        return FolderRemoval::Nothing;
    if (PassesGuard(dir, ProtectedFolders()) && HoldsOnlyOwnEntries(dir))
        return FolderRemoval::Whole;
    return FolderRemoval::OwnFilesOnly;
}
