#pragma once

#include <cwctype>
#include <string>

// Where the client leaves crash reports and how it names them; the
// uninstaller removes exactly these.

// Under the user's local application data: <that>\ZQLumavex\CrashDumps.
inline constexpr wchar_t CrashDumpSubfolder[] = L"ZQLumavex\\CrashDumps";
inline constexpr wchar_t CrashDumpPrefix[] = L"Lumarion-";
inline constexpr wchar_t CrashDumpSuffix[] = L".dmp";

// "Lumarion-" 8 digits "-" 6 digits "-" process id ".dmp".
inline bool IsCrashDumpName(const std::wstring& name)
{
    const size_t prefix = sizeof(CrashDumpPrefix) / sizeof(wchar_t) - 1;
    const size_t suffix = sizeof(CrashDumpSuffix) / sizeof(wchar_t) - 1;
    if (name.size() < prefix + 17 + suffix || name.compare(0, prefix, CrashDumpPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, CrashDumpSuffix) != 0)
        return false;
    for (size_t i = prefix; i < name.size() - suffix; ++i) {
        const size_t at = i - prefix;
        const bool dash = at == 8 || at == 15;
        if (dash ? name[i] != L'-' : !std::iswdigit(name[i]))
            return false;
    }
    return true;
}
