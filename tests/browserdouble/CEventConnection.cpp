#include "CEventConnection.h"

#include "CDoubleLog.h"

#include <exdisp.h>
#include <olectl.h>

using Microsoft::WRL::ComPtr;

CEventConnection::CEventConnection(IConnectionPointContainer& container, const CDoubleLog& log)
    : container(container), log(log)
{
}

HRESULT STDMETHODCALLTYPE CEventConnection::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CEventConnection::AddRef()
{
    return container.AddRef();
}

ULONG STDMETHODCALLTYPE CEventConnection::Release()
{
    return container.Release();
}

HRESULT STDMETHODCALLTYPE CEventConnection::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = DIID_DWebBrowserEvents2;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEventConnection::GetConnectionPointContainer(IConnectionPointContainer** result)
{
    if (!result)
        return E_POINTER;
    *result = &container;
    container.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEventConnection::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    ComPtr<IDispatch> dispatch;
    if (!sink || (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
                  FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf()))))) {
        log.Write(L"Advise refused");
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = nextCookie++;
    sinks.emplace_back(*cookie, dispatch);
    log.Write(L"Advise cookie=" + std::to_wstring(*cookie));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEventConnection::Unadvise(DWORD cookie)
{
    for (auto it = sinks.begin(); it != sinks.end(); ++it) {
        if (it->first == cookie) {
            // Moved out first: releasing the sink may call back into us.
            ComPtr<IDispatch> sink = std::move(it->second);
            sinks.erase(it);
            log.Write(L"Unadvise cookie=" + std::to_wstring(cookie));
            return S_OK;
        }
    }
    log.Write(L"Unadvise cookie=" + std::to_wstring(cookie) + L" unknown");
    return CONNECT_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE CEventConnection::EnumConnections(IEnumConnections** connections)
{
    if (connections)
        *connections = nullptr;
    return E_NOTIMPL;
}

void CEventConnection::Fire(DISPID id, DISPPARAMS& parameters)
{
    const auto current = sinks;
    for (const auto& sink : current)
        sink.second->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
}
