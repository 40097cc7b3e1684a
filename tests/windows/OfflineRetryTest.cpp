// The offline panel's state and retry schedule, without windows.
#include "windows/OfflineRetry.h"

#include <gtest/gtest.h>

TEST(OfflineRetry, ScheduleIsFiveTenTwentyThenEveryThirtySeconds)
{
    OfflineRetry retry;
    std::vector<UINT> delays;
    for (int i = 0; i < 6; ++i) {
        delays.push_back(retry.OnNavigateFailed(L"http://a/lander"));
        EXPECT_EQ(retry.StartRetry(), L"http://a/lander");
    }
    EXPECT_EQ(delays, (std::vector<UINT>{5000, 10000, 20000, 30000, 30000, 30000}));

    // A completed navigation starts the schedule over.
    EXPECT_TRUE(retry.OnNavigateCompleted());
    EXPECT_EQ(retry.OnNavigateFailed(L"http://a/lander"), 5000u);
}

TEST(OfflineRetry, OneRetryAtATimeToTheAddressThatFailed)
{
    OfflineRetry retry;
    // No panel, nothing to retry.
    EXPECT_EQ(retry.StartRetry(), L"");
    EXPECT_FALSE(retry.OnNavigateCompleted());

    retry.OnNavigateFailed(L"http://a/lander?x=1");
    EXPECT_TRUE(retry.PanelShown());
    EXPECT_EQ(retry.StartRetry(), L"http://a/lander?x=1");
    // The timer and the button while that one is under way: nothing more.
    EXPECT_EQ(retry.StartRetry(), L"");
    EXPECT_TRUE(retry.RetryUnderWay());

    // The game page failed later: that address is the one tried again.
    retry.OnNavigateFailed(L"http://a/game?type=3");
    EXPECT_TRUE(retry.PanelShown());
    EXPECT_FALSE(retry.RetryUnderWay());
    EXPECT_EQ(retry.StartRetry(), L"http://a/game?type=3");

    EXPECT_TRUE(retry.OnNavigateCompleted());
    EXPECT_FALSE(retry.PanelShown());
    EXPECT_EQ(retry.StartRetry(), L"");

    // The window closed: later failures schedule nothing.
    retry.Stop();
    EXPECT_EQ(retry.OnNavigateFailed(L"http://a/"), 0u);
    EXPECT_EQ(retry.StartRetry(), L"");
}
