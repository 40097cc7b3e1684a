#include "CBrowserClassFactory.h"

#include "CScriptedBrowser.h"
#include "ScriptedBrowserModule.h"

CBrowserClassFactory::CBrowserClassFactory()
{
    ModuleAddRef();
}

CBrowserClassFactory::~CBrowserClassFactory()
{
    ModuleRelease();
}

HRESULT STDMETHODCALLTYPE CBrowserClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CBrowserClassFactory::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs));
}

ULONG STDMETHODCALLTYPE CBrowserClassFactory::Release()
{
    const LONG left = InterlockedDecrement(&refs);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE CBrowserClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CScriptedBrowser* browser = new CScriptedBrowser();
    const HRESULT hr = browser->QueryInterface(iid, object);
    browser->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE CBrowserClassFactory::LockServer(BOOL lock)
{
    if (lock)
        ModuleAddRef();
    else
        ModuleRelease();
    return S_OK;
}
