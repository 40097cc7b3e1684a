#pragma once

// Names the client and the uninstaller share: the uninstaller recognises a
// running client only by its game window's class.

// Top-level class of the client's game window.
inline constexpr wchar_t ClientWindowClass[] = L"lumavexor";
// The product as installed: uninstall key, shortcut, Start-menu folder and
// installation folder.
inline constexpr wchar_t ProductCaption[] = L"ZQLumavex";
