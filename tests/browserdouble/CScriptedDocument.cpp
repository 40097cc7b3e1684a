#include "CScriptedDocument.h"

#include "PageDirectives.h"

namespace {

HRESULT ReturnString(const std::wstring& text, BSTR* result)
{
    if (!result)
        return E_POINTER;
    *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CScriptedDocument::CScriptedDocument(const std::wstring& url, const std::wstring& html)
    : url(url), body(new CScriptedElement(std::wstring()))
{
    // The holder took the first reference; drop the constructor's own.
    body->Release();
    SetHtml(html);
}

void CScriptedDocument::SetHtml(const std::wstring& text)
{
    html = text;
    title = PageTitle(text);
    body->SetInnerHtml(PageBody(text));
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLDocument) ||
        IsEqualIID(iid, IID_IHTMLDocument2)) {
        *object = static_cast<IHTMLDocument2*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CScriptedDocument::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

ULONG STDMETHODCALLTYPE CScriptedDocument::Release()
{
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::GetTypeInfoCount(UINT* count)
{
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::get_body(IHTMLElement** p)
{
    if (!p)
        return E_POINTER;
    *p = body.Get();
    body->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::put_title(BSTR v)
{
    title = v ? std::wstring(v, SysStringLen(v)) : std::wstring();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::get_title(BSTR* p)
{
    return ReturnString(title, p);
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::get_readyState(BSTR* p)
{
    return ReturnString(writing ? L"loading" : L"complete", p);
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::get_URL(BSTR* p)
{
    return ReturnString(url, p);
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::get_mimeType(BSTR* p)
{
    return ReturnString(L"HTML Document", p);
}

HRESULT CScriptedDocument::Append(SAFEARRAY* strings, const wchar_t* end)
{
    if (!strings || SafeArrayGetDim(strings) != 1)
        return E_INVALIDARG;
    VARTYPE type = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(strings, &type)) || type != VT_VARIANT)
        return E_INVALIDARG;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(strings, 1, &lower);
    SafeArrayGetUBound(strings, 1, &upper);
    // A write to a finished page starts a new one.
    if (!writing) {
        written.clear();
        writing = true;
    }
    for (LONG i = lower; i <= upper; ++i) {
        VARIANT item;
        VariantInit(&item);
        if (FAILED(SafeArrayGetElement(strings, &i, &item)))
            continue;
        if (SUCCEEDED(VariantChangeType(&item, &item, 0, VT_BSTR)) && item.bstrVal)
            written.append(item.bstrVal, SysStringLen(item.bstrVal));
        VariantClear(&item);
    }
    written += end;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::write(SAFEARRAY* psarray)
{
    return Append(psarray, L"");
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::writeln(SAFEARRAY* psarray)
{
    return Append(psarray, L"\r\n");
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::open(BSTR, VARIANT, VARIANT, VARIANT, IDispatch** pomWindowResult)
{
    if (pomWindowResult)
        *pomWindowResult = nullptr;
    written.clear();
    writing = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::close()
{
    if (!writing)
        return S_OK;
    writing = false;
    SetHtml(written);
    written.clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::clear()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedDocument::toString(BSTR* String)
{
    return ReturnString(L"[object HTMLDocument]", String);
}
