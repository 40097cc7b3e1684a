#pragma once

#include "base/ScopedHandles.h"

#include <windows.h>

#include <string>

// The uninstaller runs elevated: it examines and removes entries through
// handles that never follow a link, and acts on a directory only while it
// is still the one it examined.

// A directory as the file system knows it, whatever name reaches it.
struct DirectoryIdentity {
    DWORD volumeSerial = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

bool SameDirectory(const DirectoryIdentity& a, const DirectoryIdentity& b);

// The directory `path` itself, opened for listing without sharing deletion:
// while the handle is open it can be neither renamed nor removed. Null when
// `path` is no real directory: missing, a file, or a reparse point (also a
// Unix link under Wine, which shows as one only in its attributes).
ScopedHandle OpenRealDirectory(const std::wstring& path);

// Identity of the directory an open handle refers to.
bool IdentifyOpenDirectory(HANDLE directory, DirectoryIdentity* identity);

// OpenRealDirectory and IdentifyOpenDirectory in one; the handle is closed.
bool IdentifyDirectory(const std::wstring& path, DirectoryIdentity* identity);

enum class EntryRemoval {
    Removed,
    Missing,
    Left, // open, protected, a real folder, or a link that cannot be removed as a link
};

// Removes the entry `path` and nothing else: a file, or a link (reparse
// point) as a link. An entry whose final path is not itself is a link that
// the system follows (Wine's Unix links): deleting it would delete the
// target, so it is left. With `clearReadOnly` a read-only file loses that
// attribute first (and gets it back when it still cannot be deleted). With
// `folder` the entry must also lie in that directory, whatever its parent
// has become meanwhile.
EntryRemoval RemoveEntryNoFollow(const std::wstring& path, bool clearReadOnly,
                                 const DirectoryIdentity* folder = nullptr);

// True when `path` is a plain file that is itself (no reparse point, no
// link that leads elsewhere), in `folder` when given.
bool IsPlainFile(const std::wstring& path, const DirectoryIdentity* folder = nullptr);
