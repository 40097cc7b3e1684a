#pragma once

#include "uninstall/LinkSafety.h"

#include <windows.h>

#include <string>
#include <vector>

// What DeleteTree does with one directory entry.
enum class EntryAction {
    Skip,             // "." and ".."
    Descend,          // a real directory, whatever other attribute bits it has
    RemoveLink,       // a junction or directory link: the link goes, its target stays
    RemoveFile,       // files, file links included
};

EntryAction ClassifyEntry(const WIN32_FIND_DATAW& entry);

// Deletes the entries of one listing of `path`, each as ClassifyEntry says,
// in the order given ("." need not come first; drive roots have none).
void DeleteEntries(const std::wstring& path, const std::vector<WIN32_FIND_DATAW>& entries);

// `path` with the "\\?\" (or "\\?\UNC\") prefix when it is a full path, so
// names ending in dots or spaces are taken exactly as they stand; no
// trailing backslash.
std::wstring LongPath(const std::wstring& path);

// Deletes what it can below `path`, then `path` itself. Read-only and open
// files stay (and so do the folders holding them). Links are removed as
// links or left, never followed, also when `path` itself is one.
void DeleteTree(const std::wstring& path);

// Deletes the files of ours that are in `dir` (not the uninstaller itself)
// by name and nothing else: read-only ones too, links as links, an entry
// that leads elsewhere not at all. True when all of them are gone and the
// uninstaller is a plain file of `dir`. With `examined` only entries of
// that directory count, even when `dir` has been swapped meanwhile.
bool RemoveOwnFiles(const std::wstring& dir, const DirectoryIdentity* examined = nullptr);

// True when a file or directory of that name exists.
bool Exists(const std::wstring& path);
