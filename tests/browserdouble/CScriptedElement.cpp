#include "CScriptedElement.h"

namespace {

HRESULT ReturnString(const std::wstring& text, BSTR* result)
{
    if (!result)
        return E_POINTER;
    *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *result ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CScriptedElement::CScriptedElement(const std::wstring& innerHtml) : innerHtml(innerHtml) {}

HRESULT STDMETHODCALLTYPE CScriptedElement::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IHTMLElement)) {
        *object = static_cast<IHTMLElement*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CScriptedElement::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

ULONG STDMETHODCALLTYPE CScriptedElement::Release()
{
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CScriptedElement::GetTypeInfoCount(UINT* count)
{
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::get_id(BSTR* p)
{
    return ReturnString(L"", p);
}

HRESULT STDMETHODCALLTYPE CScriptedElement::get_tagName(BSTR* p)
{
    return ReturnString(L"BODY", p);
}

HRESULT STDMETHODCALLTYPE CScriptedElement::put_innerHTML(BSTR v)
{
    innerHtml = v ? std::wstring(v, SysStringLen(v)) : std::wstring();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::get_innerHTML(BSTR* p)
{
    return ReturnString(innerHtml, p);
}

HRESULT STDMETHODCALLTYPE CScriptedElement::get_outerHTML(BSTR* p)
{
    return ReturnString(L"<BODY>" + innerHtml + L"</BODY>", p);
}

HRESULT STDMETHODCALLTYPE CScriptedElement::click()
{
    ++clicks;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CScriptedElement::toString(BSTR* String)
{
    return ReturnString(L"[object HTMLBodyElement]", String);
}
