#pragma once

#include <string>

// Scheme and host (optional port) in front of every web address the client
// opens. Built-in defaults come from the build; Config.ini's "Sites"
// section may override each one.
struct SiteRoots {
    std::wstring platform;
    std::wstring forum;
    std::wstring official;
};

// Longest root accepted: the start address (root, "/lander/qmvt" and a
// 259-character "Param") must fit its 512-unit field.
constexpr size_t MaxSiteRootLength = 240;

SiteRoots DefaultSiteRoots();

// `value` normalised (one trailing slash dropped), or `fallback` when the
// value is not a usable http/https root.
std::wstring NormalizeSiteRoot(const std::wstring& value, const std::wstring& fallback);

// Defaults overridden by the "Sites" section of the given Config.ini path.
SiteRoots LoadSiteRoots(const wchar_t* configPath);
