#include "browser/RequestQueue.h"

#include <gtest/gtest.h>

namespace {

HtmlRequest Command(int command)
{
    HtmlRequest request;
    request.command = command;
    return request;
}

// A stand-in handle: the queue only hands it back, never uses it.
const HWND kWakeWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

} // namespace

TEST(RequestQueue, WakesOnceForRequestsMadeBeforeItCouldWakeAnyone)
{
    RequestQueue queue;
    EXPECT_EQ(queue.Push(Command(CreateWindowRequest)), nullptr);
    EXPECT_EQ(queue.Push(Command(NavigateRequest)), nullptr);
    EXPECT_EQ(queue.Open(kWakeWindow), kWakeWindow);
    // One wake-up serves them all: no second one while it is on its way.
    EXPECT_EQ(queue.Push(Command(SilentRequest)), nullptr);

    ASSERT_EQ(queue.BeginServing(), 3u);
    HtmlRequest request;
    for (int expected : {CreateWindowRequest, NavigateRequest, SilentRequest}) {
        ASSERT_TRUE(queue.PopFront(request));
        EXPECT_EQ(request.command, expected);
    }
    EXPECT_FALSE(queue.PopFront(request));
}

TEST(RequestQueue, ARequestMadeWhileServingOrAfterALostWakeUpGetsItsOwn)
{
    RequestQueue queue;
    EXPECT_EQ(queue.Open(kWakeWindow), nullptr) << "nothing waits, nothing to wake for";
    EXPECT_EQ(queue.Push(Command(RefreshRequest)), kWakeWindow);
    EXPECT_EQ(queue.BeginServing(), 1u);
    // Put back (or made) while serving: served at the next wake-up.
    EXPECT_EQ(queue.Push(Command(NavigateRequest)), kWakeWindow);

    queue.WakeUpLost();
    EXPECT_EQ(queue.Push(Command(SilentRequest)), kWakeWindow);

    queue.Close();
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_EQ(queue.Push(Command(RefreshRequest)), nullptr) << "nobody to wake once closed";
}
