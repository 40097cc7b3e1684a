#include "browser/CImpIDispatch.h"

#include <exception>
#include <list>

namespace {

// One script argument as text. Strings are taken as they are; anything else
// goes through the variant conversion, and what does not convert is left
// out (false).
bool ArgumentText(const VARIANT& arg, std::wstring& text)
{
    if (arg.vt == VT_BSTR) {
        if (!arg.bstrVal)
            return false;
        text.assign(arg.bstrVal, SysStringLen(arg.bstrVal));
        return true;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&arg), 0, VT_BSTR)))
        return false;
    const bool ok = converted.vt == VT_BSTR && converted.bstrVal;
    if (ok)
        text.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
    VariantClear(&converted);
    return ok;
}

}  // namespace

HRESULT STDMETHODCALLTYPE CImpIDispatch::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        // Not counted: the object's life is its owner's, not its callers'.
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_FAIL;
}

ULONG STDMETHODCALLTYPE CImpIDispatch::AddRef()
{
    return ++refCount;
}

ULONG STDMETHODCALLTYPE CImpIDispatch::Release()
{
    return --refCount;
}

HRESULT STDMETHODCALLTYPE CImpIDispatch::GetTypeInfoCount(UINT*)
{
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CImpIDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID,
                                                       DISPID* rgDispId)
{
    if (cNames && (!rgszNames || !rgDispId))
        return E_INVALIDARG;
    std::lock_guard<std::mutex> hold(namesLock);
    HRESULT result = S_OK;
    for (UINT i = 0; i < cNames; ++i) {
        rgDispId[i] = DISPID_UNKNOWN;
        const wchar_t* wanted = rgszNames[i];
        if (wanted) {
            for (const auto& entry : names) {
                if (entry.second == wanted) {
                    rgDispId[i] = entry.first;
                    break;
                }
            }
        }
        if (rgDispId[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT STDMETHODCALLTYPE CImpIDispatch::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags,
                                                DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                                UINT*)
{
    try {
        if (!dispatcher)
            return S_OK;
        if (names.find(dispIdMember) == names.end())
            return S_OK;
        if ((wFlags & DISPATCH_PROPERTYGET) && pVarResult) {
            VariantInit(pVarResult);
            pVarResult->vt = VT_BOOL;
            pVarResult->boolVal = 1;
        }
        if (!(wFlags & DISPATCH_METHOD))
            return S_OK;

        // rgvarg holds the arguments last first; pushing each to the front
        // gives the script's order.
        std::list<std::wstring> ordered;
        if (pDispParams && pDispParams->rgvarg) {
            for (UINT i = 0; i < pDispParams->cArgs; ++i) {
                std::wstring text;
                if (ArgumentText(pDispParams->rgvarg[i], text))
                    ordered.push_front(std::move(text));
            }
        }
        const std::wstring result =
            dispatcher(dispIdMember, std::vector<std::wstring>(ordered.begin(), ordered.end()));
        if (pVarResult) {
            VariantInit(pVarResult);
            pVarResult->vt = VT_BSTR;
            pVarResult->bstrVal = SysAllocString(result.c_str());
        }
    } catch (const std::exception&) {
        // A failing call must not unwind into the script engine.
    }
    return S_OK;
}

void CImpIDispatch::AddName(DISPID id, const std::wstring& name)
{
    std::lock_guard<std::mutex> hold(namesLock);
    names[id] = name;
}
