#pragma once

#include <string>
#include <vector>

// The uninstaller runs elevated. These checks keep it, wherever it finds
// itself, from deleting anything that is not the product's own.

// True for a drive root ("C:", "C:\") or a share root ("\\server\share"),
// also behind a "\\?\" or "\\?\UNC\" prefix.
bool IsDriveOrShareRoot(const std::wstring& dir);

// `path` with links and short names resolved, without "\\?\" prefix or
// trailing backslash; as given (without trailing backslash) when it cannot
// be opened.
std::wstring CanonicalPath(const std::wstring& path);

// True when `inner` is `outer` or lies inside it (canonical forms, case
// ignored).
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer);

// System and user folders that are never an installation directory nor
// inside one: Windows, system, program-files roots, the profiles root, the
// profile and its desktop, documents, downloads, music, pictures, videos,
// favorites and saved games, OneDrive, the Public folders, Start menu and
// Programs, application data. A lookup that fails gives an empty entry.
std::vector<std::wstring> ProtectedFolders();

// True when `dir` is no drive, share or volume root and none of
// `protectedFolders` is it or lies inside it. An empty entry (a failed
// lookup) refuses every folder.
bool PassesGuard(const std::wstring& dir, const std::vector<std::wstring>& protectedFolders);

// True when `dir` can be listed and holds only files named as our own.
bool HoldsOnlyOwnEntries(const std::wstring& dir);

enum class FolderRemoval {
    Nothing,      // no installation of ours (no client program), or a root
    OwnFilesOnly, // shared with something else, or a protected folder
    Whole,        // passes the guard and holds nothing but our own files
};

// How much of the installation directory the uninstaller may remove.
FolderRemoval ChooseFolderRemoval(const std::wstring& dir);
