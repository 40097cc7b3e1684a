#pragma once

// Button ids the image painter answers itself: a click closes, minimises,
// maximises or restores its window. Windows give their title-bar buttons
// these ids to get that behaviour.
inline constexpr int CloseButtonId = 10;
inline constexpr int MinimizeButtonId = 20;
inline constexpr int MaximizeButtonId = 30;
inline constexpr int RestoreButtonId = 40;
