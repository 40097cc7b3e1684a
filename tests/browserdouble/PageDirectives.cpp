#include "PageDirectives.h"

#include <windows.h>

#include <cwctype>
#include <sstream>

namespace {

std::wstring Lower(const std::wstring& text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    const size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

PageDirective ParseOne(const std::wstring& text)
{
    PageDirective directive;
    directive.text = text;
    std::wistringstream words(text);
    std::wstring verb;
    words >> verb;
    verb = Lower(verb);
    if (verb == L"flash") {
        directive.kind = PageDirective::Flash;
        return directive;
    }
    if (verb == L"modal" || verb == L"busy") {
        std::wstring duration;
        if (!(words >> duration))
            return directive;
        wchar_t* end = nullptr;
        const unsigned long value = wcstoul(duration.c_str(), &end, 10);
        if (end == duration.c_str() || *end != L'\0')
            return directive;
        directive.kind = verb == L"modal" ? PageDirective::Modal : PageDirective::Busy;
        directive.durationMs = static_cast<unsigned>(value);
        return directive;
    }
    if (verb != L"navigate" && verb != L"newwindow")
        return directive;
    std::wstring url;
    if (!(words >> url))
        return directive;
    std::wstring delay;
    if (words >> delay) {
        wchar_t* end = nullptr;
        const unsigned long value = wcstoul(delay.c_str(), &end, 10);
        if (end == delay.c_str() || *end != L'\0')
            return directive;
        directive.delayMs = static_cast<unsigned>(value);
    }
    directive.kind = verb == L"navigate" ? PageDirective::Navigate : PageDirective::NewWindow;
    directive.url = url;
    return directive;
}

} // namespace

std::vector<PageDirective> ParsePageDirectives(const std::wstring& html)
{
    static const std::wstring open = L"<!--";
    static const std::wstring close = L"-->";
    static const std::wstring marker = L"double:";
    std::vector<PageDirective> directives;
    size_t at = 0;
    while ((at = html.find(open, at)) != std::wstring::npos) {
        const size_t end = html.find(close, at + open.size());
        if (end == std::wstring::npos)
            break;
        const std::wstring inside = Trim(html.substr(at + open.size(), end - at - open.size()));
        if (Lower(inside.substr(0, marker.size())) == marker)
            directives.push_back(ParseOne(Trim(inside.substr(marker.size()))));
        at = end + close.size();
    }
    return directives;
}

std::wstring PageTitle(const std::wstring& html)
{
    const std::wstring lower = Lower(html);
    const size_t open = lower.find(L"<title");
    if (open == std::wstring::npos)
        return std::wstring();
    const size_t start = lower.find(L'>', open);
    if (start == std::wstring::npos)
        return std::wstring();
    const size_t end = lower.find(L"</title", start);
    if (end == std::wstring::npos)
        return std::wstring();
    return Trim(html.substr(start + 1, end - start - 1));
}

std::wstring PageBody(const std::wstring& html)
{
    const std::wstring lower = Lower(html);
    size_t open = lower.find(L"<body");
    // "<bodyx" is not a body tag.
    while (open != std::wstring::npos && open + 5 < lower.size() && lower[open + 5] != L'>' &&
           !std::iswspace(lower[open + 5]))
        open = lower.find(L"<body", open + 5);
    if (open == std::wstring::npos)
        return html;
    const size_t start = lower.find(L'>', open);
    if (start == std::wstring::npos)
        return std::wstring();
    const size_t end = lower.find(L"</body", start);
    return html.substr(start + 1, end == std::wstring::npos ? std::wstring::npos : end - start - 1);
}

std::wstring PageText(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    UINT codePage = CP_UTF8;
    int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        codePage = CP_ACP;
        length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    }
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, bytes.data(), size, &text[0], length);
    return text;
}
