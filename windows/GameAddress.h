#pragma once

#include "windows/SiteRoots.h"

#include <string>

// What the game window reads from the browser's addresses and the pages its
// title-bar links open.

// The landing page has handed over to the game: the address carries
// "type=3" or "client=1" anywhere (plain, case-sensitive substring search).
bool IsGameAddress(const wchar_t* url);

// The value after the first "server_id=", up to the next "&", kept whole.
// False (and `serverId` untouched) when the address names no server.
bool FindServerId(const wchar_t* url, std::wstring& serverId);

// Title-bar link ids.
constexpr int ServiceLinkId = 10020;
constexpr int ForumLinkId = 10021;
constexpr int OfficialLinkId = 10022;
constexpr int PaymentLinkId = 10023;

// The page a title-bar link opens; empty for any other id.
std::wstring GameLinkAddress(int id, const SiteRoots& sites, const wchar_t* userName,
                             const std::wstring& serverId);
