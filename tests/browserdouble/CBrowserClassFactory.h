#pragma once

#include <windows.h>

#include <unknwn.h>

// Makes CScriptedBrowser objects for CLSID_WebBrowser.
class CBrowserClassFactory : public IClassFactory {
public:
    CBrowserClassFactory();
    CBrowserClassFactory(const CBrowserClassFactory&) = delete;
    CBrowserClassFactory& operator=(const CBrowserClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    virtual ~CBrowserClassFactory();
    LONG refs = 1;
};
