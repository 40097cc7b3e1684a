#include "browser/BrowserDocument.h"

#include <cwchar>

namespace {

// Copies `text` (length `length`) with its terminator when `capacity`
// characters hold it, zeroing the whole buffer first.
bool CopyOut(const wchar_t* text, int length, wchar_t* buffer, int capacity)
{
    if (!buffer || capacity < length + 1)
        return false;
    wmemset(buffer, 0, capacity);
    if (length > 0)
        wmemcpy(buffer, text, length);
    return true;
}

} // namespace

bool BrowserDocument::MakeStringVariant(VARIANT& target, const wchar_t* text)
{
    VariantInit(&target);
    target.bstrVal = SysAllocString(text);
    if (!target.bstrVal)
        return false;
    target.vt = VT_BSTR;
    return true;
}

HRESULT BrowserDocument::HandleScriptError(VARIANT* pvaIn)
{
    if (!pvaIn || (pvaIn->vt != VT_UNKNOWN && pvaIn->vt != VT_DISPATCH) || !pvaIn->punkVal)
        return E_INVALIDARG;
    ComPtr<IHTMLDocument2> document;
    HRESULT hr = document.QueryFrom(pvaIn->punkVal, IID_IHTMLDocument2);
    if (FAILED(hr))
        return hr;
    ComPtr<IHTMLWindow2> window;
    hr = document->get_parentWindow(window.put());
    if (FAILED(hr) || !window)
        return FAILED(hr) ? hr : E_FAIL;
    ComPtr<IHTMLEventObj> event;
    hr = window->get_event(event.put());
    if (FAILED(hr) || !event)
        return FAILED(hr) ? hr : E_FAIL;
    // Read, not kept: the values matter only to a debugger.
    static const wchar_t* const properties[] = {L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                                L"errorUrl"};
    for (const wchar_t* property : properties) {
        LPOLESTR name = const_cast<LPOLESTR>(property);
        DISPID id = DISPID_UNKNOWN;
        hr = event->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id);
        if (FAILED(hr))
            continue;
        DISPPARAMS noArgs = {};
        VARIANT value;
        VariantInit(&value);
        hr = event->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &noArgs, &value, nullptr,
                           nullptr);
        VariantClear(&value);
    }
    return hr;
}

ComPtr<IHTMLDocument2> BrowserDocument::Document(IWebBrowser2* webBrowser)
{
    ComPtr<IHTMLDocument2> document;
    if (!webBrowser)
        return document;
    ComPtr<IDispatch> dispatch;
    if (FAILED(webBrowser->get_Document(dispatch.put())) || !dispatch)
        return document;
    document.QueryFrom(dispatch.get(), IID_IHTMLDocument2);
    return document;
}

ComPtr<IHTMLElement> BrowserDocument::FindElement(IWebBrowser2* webBrowser, const wchar_t* id)
{
    ComPtr<IHTMLElement> element;
    if (!id)
        return element;
    ComPtr<IHTMLDocument2> document = Document(webBrowser);
    if (!document)
        return element;
    ComPtr<IHTMLDocument3> document3;
    if (FAILED(document3.QueryFrom(document.get(), IID_IHTMLDocument3)))
        return element;
    BSTR name = SysAllocString(id);
    if (!name)
        return element;
    document3->getElementById(name, element.put());
    SysFreeString(name);
    return element;
}

int BrowserDocument::Navigate(IWebBrowser2* webBrowser, const wchar_t* url, int flags)
{
    if (!webBrowser || !url)
        return 0;
    VARIANT target;
    if (!MakeStringVariant(target, url))
        return 0;
    VARIANT navigateFlags;
    VariantInit(&navigateFlags);
    navigateFlags.vt = VT_I4;
    navigateFlags.lVal = flags;
    webBrowser->Navigate2(&target, &navigateFlags, nullptr, nullptr, nullptr);
    VariantClear(&target);
    return 1;
}

int BrowserDocument::LoadHtml(IWebBrowser2* webBrowser, const wchar_t* html)
{
    if (!html || !webBrowser)
        return 0;
    VARIANT blank;
    if (!MakeStringVariant(blank, L"about:blank"))
        return 0;
    webBrowser->Navigate2(&blank, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&blank);

    ComPtr<IHTMLDocument2> document = Document(webBrowser);
    if (!document)
        return 0;
    SAFEARRAYBOUND bound = {1, 0};
    SAFEARRAY* lines = SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!lines)
        return 0;
    int result = 0;
    VARIANT* element = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&element)))) {
        if (MakeStringVariant(*element, html)) {
            document->write(lines);
            document->close();
            result = 1;
        }
        SafeArrayUnaccessData(lines);
    }
    SafeArrayDestroy(lines);  // also frees the string in the element
    return result;
}

int BrowserDocument::GetBodyHtml(IWebBrowser2* webBrowser, wchar_t* buffer, int* count)
{
    if (!buffer || !count)
        return 0;
    ComPtr<IHTMLDocument2> document = Document(webBrowser);
    if (!document)
        return 0;
    ComPtr<IHTMLElement> body;
    if (FAILED(document->get_body(body.put())) || !body)
        return 0;
    BSTR text = nullptr;
    if (FAILED(body->get_innerHTML(&text)))
        return 0;
    CopyOut(text, static_cast<int>(SysStringLen(text)), buffer, *count);
    SysFreeString(text);
    return 1;
}

int BrowserDocument::ClickElement(IWebBrowser2* webBrowser, const wchar_t* id)
{
    ComPtr<IHTMLElement> element = FindElement(webBrowser, id);
    if (!element)
        return 0;
    element->click();
    return 1;
}

int BrowserDocument::SetElementValue(IWebBrowser2* webBrowser, const wchar_t* id, const wchar_t* value)
{
    if (!id || !value)
        return 0;
    ComPtr<IHTMLElement> element = FindElement(webBrowser, id);
    if (!element)
        return 0;
    BSTR attribute = SysAllocString(L"value");
    VARIANT newValue;
    const bool ready = attribute && MakeStringVariant(newValue, value);
    if (ready) {
        element->setAttribute(attribute, newValue, 1);
        VariantClear(&newValue);
    }
    SysFreeString(attribute);
    return ready ? 1 : 0;
}

int BrowserDocument::GetElementValue(IWebBrowser2* webBrowser, const wchar_t* id, wchar_t* buffer, int* count)
{
    if (!count)
        return 0;
    ComPtr<IHTMLElement> element = FindElement(webBrowser, id);
    if (!element)
        return 0;
    BSTR attribute = SysAllocString(L"value");
    if (!attribute)
        return 0;
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = element->getAttribute(attribute, 0, &value);
    SysFreeString(attribute);
    if (FAILED(hr))
        return 0;
    if (value.vt != VT_BSTR && FAILED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
        VariantClear(&value);
        return 0;
    }
    const int length = static_cast<int>(SysStringLen(value.bstrVal));
    const bool copied = CopyOut(value.bstrVal, length, buffer, *count);
    VariantClear(&value);
    if (copied)
        return 1;
    *count = length + 1;
    return 0;
}
