#include "uninstall/LinkSafety.h"

namespace {

constexpr DWORD FinalPathCapacity = 1024;

// The final path as the system gives it ("\\?\" form): opened again, it
// names exactly that entry.
std::wstring FinalPathOf(HANDLE handle)
{
    wchar_t path[FinalPathCapacity] = {};
    const DWORD length =
        GetFinalPathNameByHandleW(handle, path, FinalPathCapacity, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= FinalPathCapacity)
        return std::wstring();
    return path;
}

// Splits at the last backslash; false when there is no parent and leaf.
bool SplitParent(const std::wstring& path, std::wstring* parent, std::wstring* leaf)
{
    const std::wstring::size_type slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || slash == 0 || slash + 1 == path.size())
        return false;
    *parent = path.substr(0, slash);
    // "C:" alone is the current directory there, not the root.
    if (parent->back() == L':')
        parent->push_back(L'\\');
    *leaf = path.substr(slash + 1);
    return true;
}

bool IdentifyFollowing(const std::wstring& directory, BY_HANDLE_FILE_INFORMATION* info)
{
    const ScopedHandle handle(CreateFileW(directory.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && handle.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle.get(), info);
}

// True when `handle` is on the entry `path` names, not on what a link
// leads to: the final path has the same name, in `folder` when given, else
// in the directory `path` names (links among the parents are the system's
// business). Compared by identity, as Wine's final path of a folder drops
// a trailing space that its files keep.
bool IsItself(HANDLE handle, const std::wstring& path, const DirectoryIdentity* folder)
{
    std::wstring finalParent, finalLeaf, parent, leaf;
    if (!SplitParent(FinalPathOf(handle), &finalParent, &finalLeaf) || !SplitParent(path, &parent, &leaf))
        return false;
    if (CompareStringOrdinal(finalLeaf.c_str(), -1, leaf.c_str(), -1, TRUE) != CSTR_EQUAL)
        return false;
    BY_HANDLE_FILE_INFORMATION finalInfo = {}, info = {};
    if (!IdentifyFollowing(finalParent, &finalInfo))
        return false;
    const DirectoryIdentity found = {finalInfo.dwVolumeSerialNumber, finalInfo.nFileIndexHigh, finalInfo.nFileIndexLow};
    if (folder)
        return SameDirectory(found, *folder);
    return IdentifyFollowing(parent, &info) &&
           SameDirectory(found, {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow});
}

struct OpenedEntry {
    ScopedHandle handle;
    BY_HANDLE_FILE_INFORMATION info = {};
    bool missing = false;
    bool itself = false; // the handle is on the entry, not on what a link leads to
};

OpenedEntry OpenEntry(const std::wstring& path, DWORD access, const DirectoryIdentity* folder)
{
    OpenedEntry entry;
    HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        entry.missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return entry;
    }
    entry.handle.reset(handle);
    if (!GetFileInformationByHandle(handle, &entry.info))
        return entry;
    // Windows opens a reparse point itself here; Wine follows a Unix link
    // and says so only through the final path.
    entry.itself = IsItself(handle, path, folder);
    return entry;
}

bool SetAttributes(HANDLE handle, DWORD attributes)
{
    FILE_BASIC_INFO basic = {}; // zero times: left as they are
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

} // namespace

bool SameDirectory(const DirectoryIdentity& a, const DirectoryIdentity& b)
{
    return a.volumeSerial == b.volumeSerial && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

ScopedHandle OpenRealDirectory(const std::wstring& path)
{
    // The listing's attributes are the only place Wine marks a Unix link.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ScopedHandle();
    // Listing access, so the missing FILE_SHARE_DELETE keeps renames out.
    ScopedHandle handle(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle || handle.get() == INVALID_HANDLE_VALUE)
        return ScopedHandle();
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle.get(), &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ScopedHandle();
    return handle;
}

bool IdentifyOpenDirectory(HANDLE directory, DirectoryIdentity* identity)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!directory || !GetFileInformationByHandle(directory, &info))
        return false;
    identity->volumeSerial = info.dwVolumeSerialNumber;
    identity->indexHigh = info.nFileIndexHigh;
    identity->indexLow = info.nFileIndexLow;
    return true;
}

bool IdentifyDirectory(const std::wstring& path, DirectoryIdentity* identity)
{
    const ScopedHandle directory = OpenRealDirectory(path);
    return directory && IdentifyOpenDirectory(directory.get(), identity);
}

EntryRemoval RemoveEntryNoFollow(const std::wstring& path, bool clearReadOnly, const DirectoryIdentity* folder)
{
    const OpenedEntry entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, folder);
    if (!entry.handle)
        return entry.missing ? EntryRemoval::Missing : EntryRemoval::Left;
    const DWORD attributes = entry.info.dwFileAttributes;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // A real folder is never removed here, and nothing through a link.
    if (!entry.itself || ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !link))
        return EntryRemoval::Left;

    const bool clearing = clearReadOnly && !link && (attributes & FILE_ATTRIBUTE_READONLY);
    if (clearing && !SetAttributes(entry.handle.get(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return EntryRemoval::Left;
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(entry.handle.get(), FileDispositionInfo, &disposition, sizeof(disposition))) {
        if (clearing)
            SetAttributes(entry.handle.get(), attributes);
        return EntryRemoval::Left;
    }
    return EntryRemoval::Removed;
}

bool IsPlainFile(const std::wstring& path, const DirectoryIdentity* folder)
{
    const OpenedEntry entry = OpenEntry(path, FILE_READ_ATTRIBUTES, folder);
    return entry.handle && entry.itself &&
           !(entry.info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}
