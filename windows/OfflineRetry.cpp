#include "windows/OfflineRetry.h"

UINT OfflineRetry::RetryDelayMs(int failures)
{
    switch (failures) {
    case 0:
    case 1:
        return 5000;
    case 2:
        return 10000;
    case 3:
        return 20000;
    default:
        return 30000;
    }
}

UINT OfflineRetry::OnNavigateFailed(const std::wstring& url)
{
    if (stopped)
        return 0;
    panelShown = true;
    underWay = false;
    failedUrl = url;
    ++failures;
    return RetryDelayMs(failures);
}

bool OfflineRetry::OnNavigateCompleted()
{
    const bool wasShown = panelShown;
    panelShown = false;
    underWay = false;
    failures = 0;
    failedUrl.clear();
    return wasShown;
}

std::wstring OfflineRetry::StartRetry()
{
    if (stopped || !panelShown || underWay || failedUrl.empty())
        return std::wstring();
    underWay = true;
    return failedUrl;
}

void OfflineRetry::Stop()
{
    stopped = true;
    underWay = false;
}
