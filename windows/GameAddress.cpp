#include "windows/GameAddress.h"

#include <cwchar>

bool IsGameAddress(const wchar_t* url)
{
    return url && (std::wcsstr(url, L"type=3") || std::wcsstr(url, L"client=1"));
}

bool FindServerId(const wchar_t* url, std::wstring& serverId)
{
    static const wchar_t kKey[] = L"server_id=";
    const wchar_t* found = url ? std::wcsstr(url, kKey) : nullptr;
    if (!found)
        return false;
    const wchar_t* rest = found + (sizeof(kKey) / sizeof(kKey[0]) - 1);
    const wchar_t* end = std::wcschr(rest, L'&');
    serverId.assign(rest, end ? end : rest + std::wcslen(rest));
    return true;
}

std::wstring GameLinkAddress(int id, const SiteRoots& sites, const wchar_t* userName,
                             const std::wstring& serverId)
{
    switch (id) {
    case ServiceLinkId:
        return sites.platform + L"/services";
    case ForumLinkId:
        return sites.forum + L"/forum.php?mod=forumdisplay&fid=601";
    case OfficialLinkId:
        return sites.official + L"/";
    case PaymentLinkId: {
        std::wstring address = sites.platform + L"/pay?gid=148&user_name=";
        if (userName)
            address += userName;
        if (!serverId.empty())
            address += L"&server_id=" + serverId;
        return address;
    }
    default:
        return std::wstring();
    }
}
