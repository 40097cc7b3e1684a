#pragma once

#include <string>
#include <vector>

// The uninstaller runs elevated and deletes everything in its directory.
// These checks keep a copy of it placed in the wrong folder from deleting
// someone else's files.

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

// System and user folders that are never an installation directory:
// Windows, system, program-files roots, profile, desktop, documents,
// downloads, Start menu and Programs, application data. Lookups that fail
// are left out.
std::vector<std::wstring> ProtectedFolders();

// True when `dir` may be emptied: it is not a drive, share or volume root,
// no protected folder is it or lies inside it, and it holds the client
// program "Lumarion.exe".
bool IsOwnInstallation(const std::wstring& dir);
