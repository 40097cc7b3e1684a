#include "browser/RequestQueue.h"

#include <utility>

HWND RequestQueue::Open(HWND wakeWindow)
{
    std::lock_guard<std::mutex> guard(lock);
    target = wakeWindow;
    wakeUpPending = target && !requests.empty();
    return wakeUpPending ? target : nullptr;
}

void RequestQueue::Close()
{
    std::lock_guard<std::mutex> guard(lock);
    target = nullptr;
    wakeUpPending = false;
    requests.clear();
}

HWND RequestQueue::Push(const HtmlRequest& request)
{
    std::lock_guard<std::mutex> guard(lock);
    requests.push_back(request);
    if (!target || wakeUpPending)
        return nullptr;
    wakeUpPending = true;
    return target;
}

void RequestQueue::WakeUpLost()
{
    std::lock_guard<std::mutex> guard(lock);
    wakeUpPending = false;
}

size_t RequestQueue::BeginServing()
{
    std::lock_guard<std::mutex> guard(lock);
    wakeUpPending = false;
    return requests.size();
}

bool RequestQueue::PopFront(HtmlRequest& request)
{
    std::lock_guard<std::mutex> guard(lock);
    if (requests.empty())
        return false;
    request = std::move(requests.front());
    requests.pop_front();
    return true;
}

size_t RequestQueue::Size()
{
    std::lock_guard<std::mutex> guard(lock);
    return requests.size();
}
