#pragma once

// The skin pictures: "PNG" resources of resources/Art.rc, whose files carry
// the same numbers (art/<id>_<name>.png). Button pictures come as normal,
// hover and pressed ("Down") looks.
namespace Picture {
// Launcher (back window).
inline constexpr int LauncherClose = 130;
inline constexpr int LinkSite = 131;
inline constexpr int LinkForum = 132;
inline constexpr int LinkService = 133;
inline constexpr int LinkPay = 134;
inline constexpr int LauncherMinimize = 135;
inline constexpr int LauncherBackground = 145;
// Game window title bar.
inline constexpr int TitleIcon = 137;
inline constexpr int TitleBackground = 217;
inline constexpr int TitleLinkService = 138;
inline constexpr int TitleLinkForum = 139;
inline constexpr int TitleLinkSite = 140;
inline constexpr int TitleLinkPay = 141;
inline constexpr int TitleClose = 209;
inline constexpr int TitleCloseHover = 210;
inline constexpr int TitleCloseDown = 152;
inline constexpr int TitleMaximize = 211;
inline constexpr int TitleMaximizeHover = 212;
inline constexpr int TitleMaximizeDown = 156;
inline constexpr int TitleRestore = 215;
inline constexpr int TitleRestoreHover = 216;
inline constexpr int TitleRestoreDown = 158;
inline constexpr int TitleMinimize = 213;
inline constexpr int TitleMinimizeHover = 214;
inline constexpr int TitleMinimizeDown = 157;
inline constexpr int TitleFullScreen = 153;
inline constexpr int TitleFullScreenHover = 154;
inline constexpr int TitleFullScreenDown = 155;
inline constexpr int TitleTools = 196;
inline constexpr int TitleToolsHover = 208;
inline constexpr int TitleToolsDown = 151;
// Close confirmation dialog.
inline constexpr int DialogBackground = 142;
inline constexpr int DialogConfirm = 143;
inline constexpr int DialogConfirmHover = 146;
inline constexpr int DialogCancel = 147;
inline constexpr int DialogCancelHover = 148;
} // namespace Picture
