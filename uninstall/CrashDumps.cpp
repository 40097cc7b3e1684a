#include "uninstall/CrashDumps.h"

#include "base/CrashDumpNames.h"
#include "base/ScopedHandles.h"
#include "uninstall/LinkSafety.h"
#include "uninstall/UninstallPaths.h"

#include <windows.h>

#include <vector>

void RemoveCrashDumps(const std::wstring& folder)
{
    DirectoryIdentity identity;
    // A folder that is a link (or gone) is not ours to empty.
    if (folder.empty() || !IdentifyDirectory(folder, &identity))
        return;
    std::vector<std::wstring> dumps;
    WIN32_FIND_DATAW found = {};
    {
        const ScopedFind search = MakeScopedFind(FindFirstFileW(JoinFitting(folder, L"*").c_str(), &found));
        if (!search)
            return;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsCrashDumpName(found.cFileName))
                dumps.push_back(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    for (const std::wstring& name : dumps) {
        const std::wstring path = JoinFitting(folder, name);
        if (!path.empty())
            RemoveEntryNoFollow(path, true, &identity);
    }
    // Both fail, harmlessly, while anything else is in them.
    RemoveDirectoryW(folder.c_str());
    const std::wstring parent = DirectoryOf(folder);
    if (!parent.empty())
        RemoveDirectoryW(parent.c_str());
}
