#include "windows/OfflineView.h"

#include "browser/HtmlWindowProxy.h"
#include "ui/CImagePaint.h"

void OfflineView::Attach(HWND owner, CImagePaint& ownerPainter, HtmlWindowProxy& ownerPage)
{
    window = owner;
    painter = &ownerPainter;
    page = &ownerPage;
}

void OfflineView::OnNavigateFailed(const std::wstring& url, const RECT& pageArea)
{
    const UINT delay = retry.OnNavigateFailed(url);
    if (!delay || !window || !IsWindow(window))
        return;
    if (!panel.shown()) {
        page->Show(false);
        panel.Show(*painter, window, painter->ToLayout(pageArea));
    }
    SetTimer(window, RetryTimer, delay, nullptr);
}

void OfflineView::OnPageLoaded()
{
    if (!retry.OnNavigateCompleted() || !window)
        return;
    KillTimer(window, RetryTimer);
    panel.Hide(*painter, window);
    page->Show(true);
}

void OfflineView::RetryNow()
{
    if (!window)
        return;
    KillTimer(window, RetryTimer);
    // Empty while a retry is under way: one navigation at a time.
    const std::wstring url = retry.StartRetry();
    if (!url.empty())
        page->Navigate(url.c_str(), kNavNoHistory);
}

void OfflineView::Layout(const RECT& pageArea)
{
    if (!panel.shown() || !window)
        return;
    panel.Layout(*painter, painter->ToLayout(pageArea));
    InvalidateRect(window, nullptr, FALSE);
}

void OfflineView::Stop()
{
    if (window)
        KillTimer(window, RetryTimer);
    retry.Stop();
}
