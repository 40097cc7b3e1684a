#include "uninstall/UninstallPaths.h"

#include "base/CrashDumpNames.h"

#include "uninstall/UninstallNames.h"

#include <windows.h>

#include <shlobj.h>

std::wstring ModulePath()
{
    wchar_t path[PathCapacity] = {};
    const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), path, PathCapacity);
    // A full buffer means the name was cut.
    if (length == 0 || length >= PathCapacity)
        return std::wstring();
    return std::wstring(path, length);
}

std::wstring DirectoryOf(const std::wstring& path)
{
    const std::wstring::size_type slash = path.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    return path.substr(0, slash);
}

std::wstring JoinFitting(const std::wstring& folder, const std::wstring& leaf)
{
    if (folder.empty() || leaf.empty())
        return std::wstring();
    std::wstring joined = folder + L"\\" + leaf;
    if (joined.size() >= PathCapacity)
        return std::wstring();
    return joined;
}

std::wstring SpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) || !path[0])
        return std::wstring();
    return path;
}

UninstallPaths ComputeUninstallPaths()
{
    UninstallPaths paths;
    paths.installDir = DirectoryOf(ModulePath());
    paths.desktopShortcut =
        JoinFitting(SpecialFolder(CSIDL_DESKTOPDIRECTORY), std::wstring(ProductCaption) + L".lnk");
    paths.startMenuFolder = JoinFitting(SpecialFolder(CSIDL_PROGRAMS), ProductCaption);
    paths.crashDumpFolder = JoinFitting(SpecialFolder(CSIDL_LOCAL_APPDATA), CrashDumpSubfolder);
    return paths;
}
