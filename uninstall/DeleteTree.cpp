#include "uninstall/DeleteTree.h"

#include "base/ScopedHandles.h"
#include "uninstall/LinkSafety.h"
#include "uninstall/UninstallNames.h"

#include <algorithm>
#include <cwchar>

std::wstring LongPath(const std::wstring& path)
{
    std::wstring plain = path;
    std::replace(plain.begin(), plain.end(), L'/', L'\\');
    // No trailing backslash: names are appended with one of their own.
    while (plain.size() > 1 && plain.back() == L'\\')
        plain.pop_back();
    if (plain.compare(0, 4, L"\\\\?\\") == 0 || plain.compare(0, 4, L"\\\\.\\") == 0)
        return plain;
    if (plain.size() > 2 && plain[0] == L'\\' && plain[1] == L'\\')
        return L"\\\\?\\UNC\\" + plain.substr(2);
    if (plain.size() >= 2 && plain[1] == L':')
        return L"\\\\?\\" + plain;
    return plain;
}

EntryAction ClassifyEntry(const WIN32_FIND_DATAW& entry)
{
    if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0)
        return EntryAction::Skip;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return EntryAction::RemoveFile;
    // This runs elevated: descending into a planted link would delete
    // whatever it points at.
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return EntryAction::RemoveLink;
    return EntryAction::Descend;
}

void DeleteEntries(const std::wstring& path, const std::vector<WIN32_FIND_DATAW>& entries)
{
    for (const WIN32_FIND_DATAW& entry : entries) {
        const std::wstring child = path + L"\\" + entry.cFileName;
        switch (ClassifyEntry(entry)) {
        case EntryAction::Skip:
            break;
        case EntryAction::Descend:
            DeleteTree(child);
            break;
        case EntryAction::RemoveLink:
        case EntryAction::RemoveFile:
            RemoveEntryNoFollow(child, false);
            break;
        }
    }
}

void DeleteTree(const std::wstring& given)
{
    const std::wstring path = LongPath(given);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveEntryNoFollow(path, false);
        return;
    }

    // The whole listing first, so deleting does not disturb the search.
    std::vector<WIN32_FIND_DATAW> entries;
    {
        WIN32_FIND_DATAW entry = {};
        const ScopedFind search = MakeScopedFind(FindFirstFileW((path + L"\\*.*").c_str(), &entry));
        if (!search)
            return;
        do
            entries.push_back(entry);
        while (FindNextFileW(search.get(), &entry));
    }
    DeleteEntries(path, entries);
    RemoveDirectoryW(path.c_str());
}

bool Exists(const std::wstring& path)
{
    WIN32_FIND_DATAW entry = {};
    return MakeScopedFind(FindFirstFileW(path.c_str(), &entry)) != nullptr;
}

bool RemoveOwnFiles(const std::wstring& dir, const DirectoryIdentity* examined)
{
    const std::wstring base = LongPath(dir);
    bool onlyUninstallerLeft = true;
    for (const wchar_t* name : OwnEntries) {
        const std::wstring file = base + L"\\" + name;
        // The uninstaller is running: it stays for the script, which may
        // delete it by name only when it is a plain file of this folder.
        if (std::wcscmp(name, UninstallProgramName) == 0) {
            onlyUninstallerLeft = onlyUninstallerLeft && IsPlainFile(file, examined);
            continue;
        }
        // Read-only is no reason for one of our own files to stay.
        if (RemoveEntryNoFollow(file, true, examined) == EntryRemoval::Left)
            onlyUninstallerLeft = false;
    }
    return onlyUninstallerLeft;
}
