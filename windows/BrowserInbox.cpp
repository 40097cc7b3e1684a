#include "windows/BrowserInbox.h"

#include <algorithm>

void BrowserInbox::Open(HWND window)
{
    std::lock_guard<std::mutex> guard(lock);
    target = window;
}

void BrowserInbox::Close()
{
    std::lock_guard<std::mutex> guard(lock);
    target = nullptr;
    waiting.clear();
}

bool BrowserInbox::Post(UINT message, const wchar_t* text)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!target || !text)
        return false;
    waiting.push_back(Entry{message, text});
    if (PostMessageW(target, message, 0, 0))
        return true;
    // Nobody will come for it.
    waiting.pop_back();
    return false;
}

std::vector<std::wstring> BrowserInbox::Take(UINT message)
{
    std::vector<std::wstring> taken;
    std::lock_guard<std::mutex> guard(lock);
    for (Entry& entry : waiting) {
        if (entry.message == message)
            taken.push_back(std::move(entry.text));
    }
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [message](const Entry& entry) { return entry.message == message; }),
                  waiting.end());
    return taken;
}
