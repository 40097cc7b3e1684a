#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

// Single owners for the registry keys and directory searches of the
// uninstaller (kernel handles use ScopedHandle from base/ScopedHandles.h).

struct RegKeyDeleter {
    void operator()(HKEY key) const
    {
        if (key)
            RegCloseKey(key);
    }
};
using ScopedRegKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyDeleter>;

struct FindDeleter {
    void operator()(HANDLE search) const
    {
        if (search && search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
};
using ScopedFind = std::unique_ptr<void, FindDeleter>;

inline ScopedFind MakeScopedFind(HANDLE search)
{
    return ScopedFind(search == INVALID_HANDLE_VALUE ? nullptr : search);
}
