#include "ScriptedBrowserModule.h"

#include "CBrowserClassFactory.h"
#include "CScriptedBrowser.h"

#include <exdisp.h>

namespace {

HINSTANCE moduleInstance = nullptr;
LONG moduleRefs = 0;

} // namespace

HINSTANCE ModuleInstance()
{
    return moduleInstance;
}

void ModuleAddRef()
{
    InterlockedIncrement(&moduleRefs);
}

void ModuleRelease()
{
    InterlockedDecrement(&moduleRefs);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        moduleInstance = instance;
        DisableThreadLibraryCalls(instance);
        return TRUE;
    case DLL_PROCESS_DETACH:
        // Unloaded while the process goes on: the window classes must not
        // keep pointing at code that is about to disappear.
        if (!reserved)
            CScriptedBrowser::UnregisterWindowClasses();
        return TRUE;
    default:
        return TRUE;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_WebBrowser))
        return CLASS_E_CLASSNOTAVAILABLE;
    CBrowserClassFactory* factory = new CBrowserClassFactory();
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return moduleRefs == 0 ? S_OK : S_FALSE;
}
