#include "windows/CleanCacheThread.h"

#include <wininet.h>

#include <atomic>
#include <vector>

namespace {

// One cleaning at a time across the process; claimed with an atomic
// exchange so two clicks in quick succession cannot both start a walk.
std::atomic<bool> busy{false};

// Buffers sized by WinINet; never smaller than the fixed part, so an
// unexpected size of 0 cannot hand WinINet a null buffer.
std::vector<BYTE> EntryBuffer(DWORD size)
{
    const size_t bytes = size < sizeof(INTERNET_CACHE_ENTRY_INFOW) ? sizeof(INTERNET_CACHE_ENTRY_INFOW)
                                                                   : size;
    return std::vector<BYTE>(bytes);
}

INTERNET_CACHE_ENTRY_INFOW* AsEntry(std::vector<BYTE>& buffer)
{
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
}

void DeleteAllEntries()
{
    DWORD size = 0;
    FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    std::vector<BYTE> buffer = EntryBuffer(size);
    size = static_cast<DWORD>(buffer.size());
    const HANDLE find = FindFirstUrlCacheEntryW(nullptr, AsEntry(buffer), &size);
    if (!find)
        return;
    for (;;) {
        // An entry in use stays; the walk goes on regardless.
        if (AsEntry(buffer)->lpszSourceUrlName)
            DeleteUrlCacheEntryW(AsEntry(buffer)->lpszSourceUrlName);
        size = 0;
        FindNextUrlCacheEntryW(find, nullptr, &size);
        buffer = EntryBuffer(size);
        size = static_cast<DWORD>(buffer.size());
        if (!FindNextUrlCacheEntryW(find, AsEntry(buffer), &size))
            break;
    }
    FindCloseUrlCache(find);
}

} // namespace

DWORD WINAPI CleanCacheThread(LPVOID owner)
{
    if (busy.exchange(true))
        return 0;
    DeleteAllEntries();
    MessageBoxW(static_cast<HWND>(owner), L"清理缓存完成", L"Lumavex", MB_OK);
    busy.store(false);
    return 0;
}

bool StartCleanCacheThread(HWND owner)
{
    const HANDLE thread = CreateThread(nullptr, 0, CleanCacheThread, owner, 0, nullptr);
    if (!thread)
        return false;
    // The worker runs on its own; its handle would only leak if kept.
    CloseHandle(thread);
    return true;
}

bool CleanCacheBusy()
{
    return busy.load();
}
