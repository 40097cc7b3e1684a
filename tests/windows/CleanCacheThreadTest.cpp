// ctest: desktop
#include "windows/CleanCacheThread.h"

#include "TestApp.h"

#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Puts `url` into the URL cache with a small body file, as the browser would.
bool AddCacheEntry(const std::wstring& url)
{
    wchar_t file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0))
        return false;
    {
        std::ofstream out(file, std::ios::binary);
        out << "cached body";
    }
    FILETIME never = {};
    return CommitUrlCacheEntryW(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                                nullptr, nullptr) != FALSE;
}

bool InCache(const std::wstring& url)
{
    DWORD size = 0;
    if (GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size))
        return true;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// Every cached source address the enumeration returns.
std::vector<std::wstring> CachedUrls()
{
    std::vector<std::wstring> urls;
    DWORD size = 0;
    FindFirstUrlCacheEntryW(nullptr, nullptr, &size);
    std::vector<BYTE> buffer(size + sizeof(INTERNET_CACHE_ENTRY_INFOW));
    size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    const HANDLE find = FindFirstUrlCacheEntryW(nullptr, entry, &size);
    if (!find)
        return urls;
    do {
        urls.emplace_back(entry->lpszSourceUrlName ? entry->lpszSourceUrlName : L"");
        size = 0;
        FindNextUrlCacheEntryW(find, nullptr, &size);
        buffer.assign(size + sizeof(INTERNET_CACHE_ENTRY_INFOW), 0);
        size = static_cast<DWORD>(buffer.size());
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    } while (FindNextUrlCacheEntryW(find, entry, &size));
    FindCloseUrlCache(find);
    return urls;
}

struct BoxSearch {
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM context)
{
    wchar_t cls[64] = {};
    wchar_t title[64] = {};
    GetClassNameW(window, cls, 64);
    GetWindowTextW(window, title, 64);
    if (std::wstring(cls) == L"#32770" && std::wstring(title) == L"Lumavex" && IsWindowVisible(window))
        reinterpret_cast<BoxSearch*>(context)->boxes.push_back(window);
    return TRUE;
}

std::vector<HWND> FindBoxes()
{
    BoxSearch search;
    EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&search));
    return search.boxes;
}

BOOL CALLBACK FindText(HWND child, LPARAM context)
{
    wchar_t text[64] = {};
    GetWindowTextW(child, text, 64);
    if (std::wstring(text) == L"清理缓存完成") {
        *reinterpret_cast<bool*>(context) = true;
        return FALSE;
    }
    return TRUE;
}

bool BoxSays(HWND box)
{
    bool found = false;
    EnumChildWindows(box, FindText, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForBox()
{
    HWND box = nullptr;
    PumpUntil([&] {
        const auto boxes = FindBoxes();
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
    });
    return box;
}

// Closes the box and waits until the cleaning has let go of the flag.
bool CloseBox(HWND box)
{
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return PumpUntil([] { return !CleanCacheBusy(); });
}

// Threads of this process now: the cleaning threads have ended once it is
// back to what it was before they started.
int ThreadCount()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

bool ThreadsBackTo(int count)
{
    return PumpUntil([count] { return ThreadCount() <= count; }, 10000);
}

// Where the 64th handle created now would go. The system hands out the
// lowest free slots, so every handle kept meanwhile pushes this up by one
// slot, even when it only filled a hole.
uintptr_t NextHandleValue()
{
    std::vector<HANDLE> probes;
    uintptr_t highest = 0;
    for (int i = 0; i < 64; ++i) {
        probes.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        highest = std::max(highest, reinterpret_cast<uintptr_t>(probes.back()));
    }
    for (HANDLE probe : probes)
        CloseHandle(probe);
    return highest;
}

class CleanCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(app.ok());
        owner = CreateWindowExW(0, L"STATIC", L"game", WS_POPUP | WS_VISIBLE, 50, 50, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override
    {
        for (HWND box : FindBoxes())
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        PumpUntil([] { return !CleanCacheBusy(); });
        DestroyWindow(owner);
    }
    TestApp app;
    HWND owner = nullptr;
};

} // namespace

TEST_F(CleanCache, EmptiesTheCacheThenShowsTheOwnedBox)
{
    const std::vector<std::wstring> urls = {L"http://cache-test.invalid/a.js",
                                            L"http://cache-test.invalid/b.png",
                                            L"https://cache-test.invalid/page?x=1"};
    for (const auto& url : urls) {
        ASSERT_TRUE(AddCacheEntry(url));
        ASSERT_TRUE(InCache(url));
    }

    ASSERT_TRUE(StartCleanCacheThread(owner));
    const HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(CleanCacheBusy());
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
    EXPECT_TRUE(BoxSays(box));
    // The walk is over before the box shows.
    for (const auto& url : urls)
        EXPECT_FALSE(InCache(url)) << std::string(url.begin(), url.end());
    EXPECT_TRUE(CachedUrls().empty());

    ASSERT_TRUE(CloseBox(box));
    EXPECT_TRUE(FindBoxes().empty());

    // Usable again afterwards: a new entry is cleaned by the next run.
    ASSERT_TRUE(AddCacheEntry(urls[0]));
    ASSERT_TRUE(StartCleanCacheThread(owner));
    const HWND again = WaitForBox();
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(InCache(urls[0]));
    EXPECT_TRUE(CloseBox(again));
}

TEST_F(CleanCache, EmptyCacheStillShowsTheBox)
{
    ASSERT_TRUE(StartCleanCacheThread(owner));
    const HWND first = WaitForBox();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(CloseBox(first));
    // Nothing left to delete now; the user is told all the same.
    ASSERT_TRUE(CachedUrls().empty());
    ASSERT_TRUE(StartCleanCacheThread(owner));
    const HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(BoxSays(box));
    EXPECT_TRUE(CloseBox(box));
}

TEST_F(CleanCache, StartWhileBoxIsOpenEndsAtOnceWithoutSecondWalkOrBox)
{
    ASSERT_TRUE(StartCleanCacheThread(owner));
    const HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);

    // An entry added while the box is up must survive the refused start.
    const std::wstring url = L"http://cache-test.invalid/late.css";
    ASSERT_TRUE(AddCacheEntry(url));
    DWORD id = 0;
    const HANDLE second = CreateThread(nullptr, 0, CleanCacheThread, owner, 0, &id);
    ASSERT_NE(second, nullptr);
    DWORD wait = WAIT_TIMEOUT;
    PumpUntil([&] {
        wait = WaitForSingleObject(second, 0);
        return wait == WAIT_OBJECT_0;
    }, 10000);
    EXPECT_EQ(wait, static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 1;
    GetExitCodeThread(second, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(second);
    // A box of its own would have held the thread up: one box still.
    EXPECT_EQ(FindBoxes().size(), 1u);
    EXPECT_TRUE(InCache(url));
    EXPECT_TRUE(CleanCacheBusy());

    ASSERT_TRUE(CloseBox(box));
    EXPECT_TRUE(InCache(url));
}

TEST_F(CleanCache, ManyStartsLeaveNoThreadHandles)
{
    // GetProcessHandleCount is 0 under Wine; the lowest free handle slot,
    // which the system hands out next, shows kept handles all the same.
    // Warm-up: WinINet and the box keep handles of their own after first use.
    const int threads = ThreadCount();
    ASSERT_GT(threads, 0);
    ASSERT_TRUE(StartCleanCacheThread(owner));
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(CloseBox(box));
    ASSERT_TRUE(ThreadsBackTo(threads));

    const uintptr_t before = NextHandleValue();
    ASSERT_TRUE(StartCleanCacheThread(owner));
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    // Refused starts while the box is up: each is a thread whose handle
    // must not be kept either.
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(StartCleanCacheThread(owner));
    EXPECT_TRUE(ThreadsBackTo(threads + 1)) << "refused starts still running";
    ASSERT_TRUE(CloseBox(box));
    ASSERT_TRUE(ThreadsBackTo(threads));
    const uintptr_t after = NextHandleValue();
    // Twenty kept thread handles would push it up by twenty slots.
    EXPECT_LE(after, before + 4 * 4) << "before " << before << " after " << after;
}
