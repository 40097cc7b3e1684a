#pragma once

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// The page's `window.external`: script calls are looked up by name in
// `names` and carried out by `dispatcher`. The object lives inside the
// browser site; reference counting never frees it. Owning thread: the
// browser thread; the name table alone is guarded for other readers.
class CImpIDispatch : public IDispatch {
public:
    using Dispatcher = std::function<std::wstring(DISPID, const std::vector<std::wstring>&)>;

    CImpIDispatch() = default;
    ~CImpIDispatch() = default;
    CImpIDispatch(const CImpIDispatch&) = delete;
    CImpIDispatch& operator=(const CImpIDispatch&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    // Adds or replaces one name, under the lock that lookups take.
    void AddName(DISPID id, const std::wstring& name);

    std::map<DISPID, std::wstring> names;
    Dispatcher dispatcher;

private:
    ULONG refCount = 0;
    std::mutex namesLock;
};
