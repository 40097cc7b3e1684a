#include "windows/SiteRoots.h"

#include "SiteDefaults.h"

#include <windows.h>

#include <cwctype>
#include <iterator>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= text.size() || std::towlower(text[i]) != prefix[i])
            return false;
    }
    return true;
}

std::wstring ReadSite(const wchar_t* key, const wchar_t* configPath)
{
    // A value that fills the buffer was cut; a cut address is no address.
    wchar_t buffer[1024] = {};
    const DWORD length = GetPrivateProfileStringW(L"Sites", key, L"", buffer,
                                                  static_cast<DWORD>(std::size(buffer)),
                                                  configPath);
    if (length >= std::size(buffer) - 2)
        return std::wstring(L" ");  // forces the default
    return std::wstring(buffer, length);
}

} // namespace

SiteRoots DefaultSiteRoots()
{
    return SiteRoots{LUMARION_PLATFORM_ROOT, LUMARION_FORUM_ROOT, LUMARION_OFFICIAL_ROOT};
}

std::wstring NormalizeSiteRoot(const std::wstring& value, const std::wstring& fallback)
{
    size_t schemeLength = 0;
    if (StartsWithNoCase(value, L"http://"))
        schemeLength = 7;
    else if (StartsWithNoCase(value, L"https://"))
        schemeLength = 8;
    else
        return fallback;

    for (wchar_t c : value) {
        if (c <= L' ' || c == 0x7F || (c >= 0x80 && c <= 0x9F))
            return fallback;
    }

    std::wstring root = value;
    if (root.back() == L'/')
        root.pop_back();
    if (root.size() <= schemeLength || root[schemeLength] == L'/' ||
        root.size() > MaxSiteRootLength)
        return fallback;
    return root;
}

SiteRoots LoadSiteRoots(const wchar_t* configPath)
{
    SiteRoots roots = DefaultSiteRoots();
    if (!configPath)
        return roots;
    roots.platform = NormalizeSiteRoot(ReadSite(L"Platform", configPath), roots.platform);
    roots.forum = NormalizeSiteRoot(ReadSite(L"Forum", configPath), roots.forum);
    roots.official = NormalizeSiteRoot(ReadSite(L"Official", configPath), roots.official);
    return roots;
}
