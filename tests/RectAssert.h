#pragma once

// Rectangle checks shared by the window tests.

#include <windows.h>

#include <gtest/gtest.h>

inline ::testing::AssertionResult RectIs(const RECT& actual, LONG l, LONG t, LONG r, LONG b)
{
    if (actual.left == l && actual.top == t && actual.right == r && actual.bottom == b)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect (" << actual.left << "," << actual.top << ","
                                         << actual.right << "," << actual.bottom << "), expected ("
                                         << l << "," << t << "," << r << "," << b << ")";
}

inline ::testing::AssertionResult RectIs(const RECT& actual, const RECT& expected)
{
    return RectIs(actual, expected.left, expected.top, expected.right, expected.bottom);
}

// The window's rectangle in screen coordinates; empty for no window.
inline RECT WindowRect(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}
