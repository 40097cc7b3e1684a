#include "uninstall/DeleteTree.h"

#include "uninstall/UninstallHandles.h"

#include <cwchar>

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
            RemoveDirectoryW(child.c_str());
            break;
        case EntryAction::RemoveFile:
            DeleteFileW(child.c_str());
            break;
        }
    }
}

void DeleteTree(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveDirectoryW(path.c_str());
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
